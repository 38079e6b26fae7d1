#include "windows/mail_link.h"

#include <QDesktopServices>
#include <QUrl>

void openMailLink(QWidget*, const QString& link)
{
    QDesktopServices::openUrl(QUrl(link));
}
