#include "windows/application.h"

#include <QIconEngine>
#include <QMessageBox>
#include <QPainter>
#include <QProxyStyle>
#include <exception>
#include <iostream>

namespace {
// An icon of the style that is read only when first drawn or measured.
class DeferredStyleIcon : public QIconEngine
{
public:
    DeferredStyleIcon(const QStyle* style, QStyle::StandardPixmap which) : m_style(style), m_which(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredStyleIcon(*this); }

private:
    const QIcon& icon()
    {
        if (!m_loaded) {
            m_icon = m_style->standardIcon(m_which);
            m_loaded = true;
        }
        return m_icon;
    }

    const QStyle* m_style;
    QStyle::StandardPixmap m_which;
    QIcon m_icon;
    bool m_loaded = false;
};

// The platform's own style, except that the menu bar's overflow arrow, which a keypad's menu bar never
// shows, is read when first shown: reading it at start-up made Qt load every image-format plugin (and the
// libraries behind them) to ask whether one of them claims the file.
class KeypadStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
            return QIcon(new DeferredStyleIcon(baseStyle(), which));
        }
        return QProxyStyle::standardIcon(which, option, widget);
    }
};
} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), m_reportError([](const QString& message) {
          QMessageBox::critical(nullptr, QStringLiteral("Glyphward OSK"), message);
      })
{
    // No organization name: it would add a second folder to the per-user settings directory.
    setApplicationName("glyphward");
    setStyle(new KeypadStyle);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    QString failure;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("An unknown error occurred.");
    }
    m_reportError(failure);
    return false;
}

void chooseDisplayPlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return;
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        std::cerr << "glyphward: Wayland without XWayland: the keypad cannot stay above other windows\n";
    }
}
