#include "windows/about_window.h"

#include "keypad/module1.h"
#include "keypad/program_info.h"
#include "windows/screen_fit.h"
#include "windows/stacking.h"
#include "windows/twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace {
QLabel* addLabel(QWidget* frame, const char* name, const QRect& geometry, const QString& text)
{
    auto* label = new QLabel(text, frame);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}
} // namespace

AboutWindow::AboutWindow(QWidget* keypad, WindowStacking& stacking, int intervalMs)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), m_keypad(keypad), m_stacking(stacking),
      m_intervalMs(intervalMs)
{
    setObjectName("frmAboutGlyphward");
    setWindowTitle("About Glyphward");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(6930), twipsToPixels(2490));
    placeOnKeypadScreen(this, keypad, QPoint(twipsToPixels(3960), twipsToPixels(1380)));

    auto* frame = new QFrame(this);
    frame->setObjectName("Frame1");
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(twipsRect(30, 0, 6855, 2415));

    auto* banner = new QLabel(frame);
    banner->setObjectName("Image2");
    banner->setGeometry(twipsRect(675, 240, 5595, 975));
    banner->setPixmap(QPixmap(":/icons/banner.png"));
    banner->setAlignment(Qt::AlignCenter);

    m_lblVersion = addLabel(frame, "lblVersion", twipsRect(2565, 1440, 1815, 615), "Version 0.0.0");
    QFont corsiva("Monotype Corsiva");
    corsiva.setStyleHint(QFont::Cursive);
    corsiva.setPointSizeF(15.75);
    corsiva.setItalic(true);
    m_lblVersion->setFont(corsiva);
    QLabel* author = addLabel(frame, "lblAVerrick", twipsRect(1598, 2040, 2175, 255), "By: Ansel Verrick");
    QLabel* web = addLabel(
        frame, "lblWeb", twipsRect(3398, 2040, 1935, 255),
        QString::fromUtf8(glyphward::kWebAddress.data(), static_cast<qsizetype>(glyphward::kWebAddress.size())));
    // The small print in the 8-point sans-serif that dialogs use, so both credits fit their places.
    QFont small = font();
    small.setPointSize(8);
    author->setFont(small);
    web->setFont(small);
    for (QLabel* label : {m_lblVersion, author, web}) {
        label->installEventFilter(this);
    }

    m_timer.setObjectName("Timer1");
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::close);
    load();
}

void AboutWindow::load()
{
    setWindowTitle(QString::fromStdString(Module1::KeypadTitle()));
    m_lblVersion->setText(QString::fromStdString(Module1::VersionText));
    m_timer.setInterval(m_intervalMs);
    m_timer.start();
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void AboutWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    event->accept();
    m_stacking.SetTopMost(this, false);
    if (m_keypad) {
        m_stacking.SetTopMost(m_keypad, true);
    }
}
