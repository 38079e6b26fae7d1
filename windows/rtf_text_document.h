#pragma once

#include <QString>
#include <functional>

class QObject;
class QTextDocument;

// Reads an RTF file into a document for a text view. A file that cannot be read, or is not RTF, gives a
// document of one line saying which file and why. Building the document stops early, keeping what it has,
// once STOP (when given) says so.
QTextDocument* loadRtfDocument(const QString& path, QObject* parent, const std::function<bool()>& stop = {});
