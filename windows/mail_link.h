#pragma once

class QString;
class QWidget;

// Hands a mailto link to the desktop's mail program. Failures are not reported: the caller has nothing
// useful to do about them.
void openMailLink(QWidget* parent, const QString& link);
