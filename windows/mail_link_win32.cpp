#include "windows/mail_link.h"
#include "windows/native.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

void openMailLink(QWidget* parent, const QString& link)
{
    shellOpen(parent ? static_cast<std::uintptr_t>(parent->winId()) : 0, link.toLocal8Bit().constData(),
              QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toLocal8Bit().constData());
}
