#include "keypad/keypad_layout.h"
#include "window_doubles.h"
#include "windows/keypad_window.h"
#include "windows/password_edit.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class KeypadWindowTest : public ::testing::Test
{
protected:
    // Starts a keypad with the given settings, shown and active, as the program does.
    KeypadWindow& open(bool menu, bool caps, bool shift)
    {
        settings.values = {{"menu.dd", menu}, {"caps.dd", caps}, {"shift.dd", shift}};
        window = std::make_unique<KeypadWindow>(settings, help, help, stacking);
        window->load();
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }
    QAction* action(const char* name) const { return window->findChild<QAction*>(name); }
    PasswordEdit* field() const { return window->field(); }

    void click(const char* name)
    {
        QTest::mouseClick(button(name), Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    // The key as the window sees it: sent to whatever has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QCoreApplication::processEvents();
    }

    std::string fieldText() const { return std::string(field()->GetText().view()); }
    bool wholeTextSelected() const { return field()->selStart() == 0 && field()->selLength() == field()->textLength(); }

    MemorySettings settings;
    NullHelp help;
    RecordingStacking stacking;
    std::unique_ptr<KeypadWindow> window;
};

TEST_F(KeypadWindowTest, ControlsStandWhereTheLayoutPutsThemInTabOrder)
{
    open(true, false, false);
    // A few places in pixels, worked out by hand from the twips, so a wrong conversion shows.
    const std::map<std::string, QRect> pixels = {
        {"cmd1", {56, 8, 33, 25}},          {"cmdEquals", {496, 8, 33, 25}},      {"cmdShift", {8, 8, 41, 25}},
        {"cmdBackSpace", {8, 104, 41, 25}}, {"txtPWord", {216, 104, 153, 25}},    {"cmdBSlash", {496, 104, 33, 25}},
        {"cmdDelete", {24, 168, 41, 25}},   {"cmdSelectAll", {352, 168, 73, 25}},
    };
    QWidget* previous = nullptr;
    for (const ControlLayout& control : keypadLayout()) {
        const QString name = QString::fromUtf8(control.name.data(), static_cast<qsizetype>(control.name.size()));
        SCOPED_TRACE(name.toStdString());
        QWidget* widget = window->findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr);
        if (const auto known = pixels.find(name.toStdString()); known != pixels.end()) {
            EXPECT_EQ(widget->geometry(), known->second);
        }
        EXPECT_EQ(widget->geometry().size(), QSize(control.width, control.height) / 15);
        EXPECT_EQ(widget->toolTip().toStdString(), control.tooltip);
        if (auto* pushButton = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(pushButton->text().toStdString(), control.caption);
        }
        if (control.inTabOrder) {
            if (previous) {
                EXPECT_EQ(previous->nextInFocusChain(), widget) << "after " << previous->objectName().toStdString();
            }
            previous = widget;
        } else {
            EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus);
        }
    }
    EXPECT_EQ(button("cmdQ")->text(), "q");
    EXPECT_EQ(button("cmdBSlash")->text(), "\\");
    EXPECT_EQ(button("cmdSelectAll")->text(), "Select All");
}

TEST_F(KeypadWindowTest, LargeDesktopFontsScaleTheLayoutUpSoThatEveryCaptionFitsItsKey)
{
    const QFont original = QApplication::font();
    struct Case
    {
        int points;
        bool larger;
    };
    for (const Case c : {Case{6, false}, Case{14, true}, Case{20, true}}) {
        SCOPED_TRACE(std::to_string(c.points) + " pt");
        QFont font = original;
        font.setPointSize(c.points);
        QApplication::setFont(font);
        for (const bool locked : {false, true}) {
            open(true, locked, locked);
            EXPECT_EQ(window->layoutScale() > 1.0, c.larger);
            EXPECT_GE(window->layoutScale(), 1.0) << "never smaller than designed";
            for (QPushButton* key : window->centralWidget()->findChildren<QPushButton*>()) {
                const QString shown = QString(key->text()).replace("&&", "&");
                EXPECT_LE(key->fontMetrics().horizontalAdvance(shown), key->width())
                    << key->objectName().toStdString() << " \"" << shown.toStdString() << "\"";
                EXPECT_LE(key->fontMetrics().height(), key->height()) << key->objectName().toStdString();
            }
            // Still the same layout, only larger: the field stands right of the z key.
            EXPECT_GT(field()->x(), button("cmdZ")->geometry().right());
            EXPECT_GT(window->centralWidget()->width(), button("cmdEquals")->geometry().right());
            EXPECT_GE(window->height(), button("cmdBackSpace")->geometry().bottom()) << "the fourth row shows whole";
        }
    }
    QApplication::setFont(original);
}

TEST_F(KeypadWindowTest, FirstFocusIsOnTheFirstKeyEvenWithBothLocksRestored)
{
    open(true, true, true);

    EXPECT_EQ(QApplication::focusWidget(), button("cmd1"));
    EXPECT_EQ(button("cmdA")->text(), "A");
    EXPECT_EQ(button("cmd1")->text(), "!");
    EXPECT_EQ(window->windowTitle(), "Glyphward OSK 0.0.10 - - by: Ansel Verrick - - glyphward.example");
    EXPECT_EQ(stacking.log, std::vector<std::string>{"frmKeypad on"});
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(KeypadWindowTest, LocksRelabelTheirKeysAndTheKeysAppendWhatTheyShow)
{
    open(true, false, false);

    click("cmdShift");
    EXPECT_EQ(button("cmd7")->text(), "&&");
    EXPECT_EQ(button("cmdA")->text(), "a");
    click("cmd7");
    click("cmdCaps");
    EXPECT_EQ(button("cmdA")->text(), "A");
    EXPECT_EQ(button("cmd7")->text(), "&&");
    click("cmdA");
    click("cmdShift");
    click("cmd7");

    EXPECT_EQ(fieldText(), "&A7");
}

TEST_F(KeypadWindowTest, FocusStaysInTheWhollySelectedFieldAfterEachClick)
{
    open(true, false, false);
    // Every widget that takes the focus, however briefly: a key that did would announce its name, the
    // character clicked, to assistive technology.
    std::vector<QWidget*> focused;
    QObject listening;
    QObject::connect(qApp, &QApplication::focusChanged, &listening,
                     [&focused](QWidget*, QWidget* now) { focused.push_back(now); });

    for (const char* name : {"cmdA", "cmdB", "cmdShift", "cmd1", "cmdCaps", "cmdC", "cmdBackSpace"}) {
        SCOPED_TRACE(name);
        click(name);
        EXPECT_EQ(QApplication::focusWidget(), field());
        EXPECT_TRUE(wholeTextSelected());
    }
    EXPECT_EQ(fieldText(), "ab!");

    click("cmdClear");
    EXPECT_EQ(fieldText(), "");
    EXPECT_EQ(QApplication::focusWidget(), field());
    EXPECT_EQ(focused, std::vector<QWidget*>{field()}) << "only the first click moves the focus: to the field";

    // Tab still reaches the keys, for a user who moves through them by keyboard.
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button("cmd1"));
}

TEST_F(KeypadWindowTest, LockKeysAreCheckedWhileTheirLockIsOn)
{
    open(true, false, true);
    EXPECT_TRUE(button("cmdShift")->isChecked()) << "restored at start";
    EXPECT_FALSE(button("cmdCaps")->isChecked());

    click("cmdCaps");
    EXPECT_TRUE(button("cmdCaps")->isChecked());
    press(Qt::Key_F2);
    EXPECT_FALSE(button("cmdCaps")->isChecked());
    press(Qt::Key_F3);
    EXPECT_FALSE(button("cmdShift")->isChecked());
    click("cmdShift");
    EXPECT_TRUE(button("cmdShift")->isChecked());

    QAccessibleInterface* shift = QAccessible::queryAccessibleInterface(button("cmdShift"));
    ASSERT_NE(shift, nullptr);
    EXPECT_TRUE(shift->state().checkable);
    EXPECT_TRUE(shift->state().checked);
}

TEST_F(KeypadWindowTest, AssistiveTechnologyListsTheControlsRowByRow)
{
    open(true, false, false);
    QAccessibleInterface* client = QAccessible::queryAccessibleInterface(window->centralWidget());
    ASSERT_NE(client, nullptr);
    QStringList names;
    for (int i = 0; i < client->childCount(); ++i) {
        names << client->child(i)->object()->objectName();
    }
    EXPECT_EQ(names.mid(0, 3), (QStringList{"cmdShift", "cmd1", "cmd2"}));
    EXPECT_EQ(names.mid(12, 3), (QStringList{"cmdEquals", "cmdCaps", "cmdA"}));
    EXPECT_EQ(names.mid(39, 7), (QStringList{"cmdBackSpace", "cmdW", "cmdX", "cmdY", "cmdZ", "txtPWord", "cmdComma"}));
    EXPECT_EQ(names.mid(49), (QStringList{"cmdDelete", "cmdSelectAll"}));
}

TEST_F(KeypadWindowTest, TheFifthRowNeverShowsAtEitherHeight)
{
    open(true, false, false);
    for (bool menuShown : {true, false, true}) {
        SCOPED_TRACE(menuShown);
        EXPECT_EQ(window->menuBar()->isVisible(), menuShown);
        const QWidget* client = window->centralWidget();
        const int visibleClient = window->height() - client->y();
        EXPECT_GE(visibleClient, button("cmdBackSpace")->geometry().bottom() + 1) << "the fourth row is cut";
        EXPECT_LE(visibleClient, button("cmdDelete")->y()) << "the fifth row shows";
        press(Qt::Key_F4);
    }
}

TEST(KeypadWindowHeight, OuterHeightLessTheFrameKeepsTheKeysAndHidesTheFifthRow)
{
    struct Case
    {
        int outerTwips, frame, menuBar, client;
    };
    const Case cases[] = {
        {2815, 25, 22, 163}, // openbox's frame, menu shown: 188 outer
        {2600, 25, 0, 148},  // menu hidden: 173 outer
        {2600, 0, 0, 148},   // no frame reported yet: the estimate stands in
        {2815, 4, 22, 184},  // a thin frame
        {2600, 4, 0, 168},   // a thin frame would show the fifth row's first pixel
        {1500, 25, 22, 151}, // too small for the keys: they still fit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeypadWindow::clientHeightFor(c.outerTwips, c.frame, c.menuBar), c.client)
            << c.outerTwips << " " << c.frame << " " << c.menuBar;
    }
}

TEST_F(KeypadWindowTest, F4TogglesTheMenuItemsAndTheirCaption)
{
    open(true, false, false);
    EXPECT_EQ(action("mnuShowHideMenu")->text(), "Hide Menu");

    press(Qt::Key_F4);
    for (const char* name : {"mnuExit", "mnuShowHideMenu", "mnuHelp"}) {
        EXPECT_FALSE(action(name)->isVisible()) << name;
    }
    EXPECT_EQ(action("mnuShowHideMenu")->text(), "Show Menu");
    EXPECT_FALSE(window->menuBar()->isVisible());

    press(Qt::Key_F4);
    EXPECT_TRUE(window->menuBar()->isVisible());
    EXPECT_EQ(action("mnuShowHideMenu")->text(), "Hide Menu");
    EXPECT_EQ(action("mnuHelpContact")->text(), "&Contact Brivex");
}

TEST_F(KeypadWindowTest, ShortcutsActWithAnyModifiersAndOtherKeysReachTheField)
{
    open(true, false, false);
    click("cmdA");

    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier)}) {
        const bool caps = window->keypad().model.CapsLock;
        const bool shift = window->keypad().model.ShiftLock;
        press(Qt::Key_F2, modifiers);
        press(Qt::Key_F3, modifiers);
        EXPECT_NE(window->keypad().model.CapsLock, caps);
        EXPECT_NE(window->keypad().model.ShiftLock, shift);
        EXPECT_EQ(QApplication::focusWidget(), field());
        EXPECT_TRUE(wholeTextSelected());
    }
    EXPECT_EQ(fieldText(), "a") << "no shortcut reached the field";

    // q, r and s are 113, 114 and 115 in ASCII, like F2, F3 and F4: they must be typed, not act.
    const bool caps = window->keypad().model.CapsLock;
    for (Qt::Key key : {Qt::Key_Q, Qt::Key_R, Qt::Key_S}) {
        QTest::keyClick(field(), key);
    }
    EXPECT_EQ(fieldText(), "s") << "each typed key replaced the whole selection";
    EXPECT_EQ(window->keypad().model.CapsLock, caps);
    EXPECT_TRUE(window->menuBar()->isVisible());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(KeypadWindowTest, EscInAnOpenMenuClosesTheMenuNotTheKeypad)
{
    open(true, false, false);
    auto* menu = window->findChild<QMenu*>("mnuHelp");
    menu->popup(window->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }));

    QTest::keyClick(menu, Qt::Key_Escape);
    QCoreApplication::processEvents();

    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(KeypadWindowTest, EscClosesAndSavesOnceAndTheNextStartRestores)
{
    open(false, false, false);
    press(Qt::Key_F2);
    press(Qt::Key_Escape);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"menu.dd", "caps.dd", "shift.dd"}));
    EXPECT_EQ(help.log, std::vector<std::string>{"close about"});
    window->close();
    window->unload();
    EXPECT_EQ(settings.writes.size(), 3u) << "shut-down runs once";

    const std::map<std::string, bool, std::less<>> saved = settings.values;
    window.reset();
    settings.writes.clear();
    settings.values = saved;
    window = std::make_unique<KeypadWindow>(settings, help, help, stacking);
    window->load();
    EXPECT_TRUE(window->keypad().model.CapsLock);
    EXPECT_FALSE(window->keypad().model.MenuShown);
    EXPECT_EQ(button("cmdZ")->text(), "Z");
}

TEST_F(KeypadWindowTest, SessionCheckpointsSaveTheSettingsAndChangeNothingElse)
{
    open(true, false, false);
    press(Qt::Key_F2);
    window->saveSettings();
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"menu.dd", "caps.dd", "shift.dd"}));
    EXPECT_TRUE(settings.values.at("caps.dd"));
    EXPECT_TRUE(help.log.empty()) << "the About window stays open";
    EXPECT_TRUE(window->isVisible());

    press(Qt::Key_F3);
    window->saveSettings();
    EXPECT_EQ(settings.writes.size(), 6u);
    EXPECT_TRUE(settings.values.at("shift.dd"));

    press(Qt::Key_F2);
    window->close();
    EXPECT_EQ(settings.writes.size(), 9u) << "the real close still saves";
    EXPECT_FALSE(settings.values.at("caps.dd"));
    EXPECT_EQ(help.log, std::vector<std::string>{"close about"});
    window->saveSettings();
    window->unload();
    EXPECT_EQ(settings.writes.size(), 9u) << "nothing after shut-down";
}

TEST_F(KeypadWindowTest, MenuItemsRunTheirCommands)
{
    open(true, false, false);
    for (const char* name : {"mnuHelpFAQ", "mnuHelpLicense", "mnuHelpContact", "mnuHelpAbout"}) {
        action(name)->trigger();
    }
    EXPECT_EQ(help.log, (std::vector<std::string>{"faq", "license", "contact", "about"}));

    action("mnuShowHideMenu")->trigger();
    EXPECT_FALSE(window->menuBar()->isVisible());
    action("mnuExit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(settings.writes.size(), 3u);
}

} // namespace
