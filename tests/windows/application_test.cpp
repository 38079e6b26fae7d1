#include "windows/application.h"

#include <QCoreApplication>
#include <QEvent>
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

} // namespace
