#include "windows/application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QProxyStyle>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class Throwing : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            throw std::runtime_error("the settings could not be read");
        }
        return QObject::event(event);
    }
};

TEST(Application, AnErrorEscapingAHandlerIsReportedAndTheLoopGoesOn)
{
    auto* app = qobject_cast<Application*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    QStringList reported;
    app->setErrorReporter([&](const QString& message) { reported << message; });

    Throwing target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    EXPECT_NO_THROW(QCoreApplication::sendPostedEvents(&target));

    EXPECT_EQ(reported, QStringList({"the settings could not be read", "the settings could not be read"}));
}

// The overflow arrows are read only when first used; they must then be the platform style's own.
TEST(Application, OverflowArrowsReadLateAreThePlatformStylesOwn)
{
    const auto* style = qobject_cast<const QProxyStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    for (QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon late = style->standardIcon(which);
        const QIcon own = style->baseStyle()->standardIcon(which);
        ASSERT_FALSE(own.availableSizes().isEmpty());
        EXPECT_EQ(late.availableSizes(), own.availableSizes());
        const QSize size = own.availableSizes().first();
        EXPECT_EQ(late.actualSize(size), own.actualSize(size));
        EXPECT_EQ(late.pixmap(size).toImage(), own.pixmap(size).toImage()) << "pixmap " << which;
        EXPECT_EQ(late.pixmap(size, QIcon::Disabled).toImage(), own.pixmap(size, QIcon::Disabled).toImage());
    }
}

} // namespace
