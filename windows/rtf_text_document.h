#pragma once

#include <QString>

class QObject;
class QTextDocument;

// Reads an RTF file into a document for a text view. A file that cannot be read, or is not RTF, gives a
// document of one line saying which file and why.
QTextDocument* loadRtfDocument(const QString& path, QObject* parent);
