#include "windows/keypad_window.h"

#include "keypad/keypad_layout.h"
#include "windows/password_edit.h"
#include "windows/stacking.h"
#include "windows/twips.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

namespace {
// Codes for the keys that the logic does not handle; never equal to a shortcut key's code.
constexpr std::uint16_t kKeyCodeOther = 0xFFFF;

// Title bar and borders assumed until the window system reports the real frame (before the window is
// framed, without a window manager, offscreen).
constexpr int kEstimatedFrameHeight = 25;

std::uint16_t keyCodeFor(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_F2:
        return kKeyCodeF2;
    case Qt::Key_F3:
        return kKeyCodeF3;
    case Qt::Key_F4:
        return kKeyCodeF4;
    case Qt::Key_Escape:
        return kKeyCodeEscape;
    default:
        return kKeyCodeOther;
    }
}

// The shift state as a bit mask: 1 Shift, 2 Ctrl, 4 Alt.
int shiftStateFor(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// Qt's own PNG reader, told not to guess: otherwise Qt loads every image-format plugin (and the libraries
// behind them) at start-up to ask whether one of them claims the file.
QIcon builtInPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

// Raises a name change for the accessible item through which CONTAINER (a menu, the menu bar) shows ACTION.
void announceRenamed(QObject* container, QAction* action)
{
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(container);
    for (int i = 0; menu && i < menu->childCount(); ++i) {
        QAccessibleInterface* item = menu->child(i);
        if (item && item->object() == action) {
            QAccessibleEvent event(item, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    }
}

QString qtText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

KeypadWindow::KeypadWindow(SettingsStore& settings, HelpCommands& help, SecondaryWindows& secondary,
                           WindowStacking& stacking)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_stacking(stacking)
{
    setObjectName("frmKeypad");
    setWindowIcon(builtInPng(QStringLiteral(":/icons/keypad.png")));
    setAcceptDrops(false);
    buildControls();
    buildMenu();
    m_keypad = std::make_unique<Keypad>(KeypadServices{*this, *m_field, help, *this, secondary, settings});

    connect(m_field, &PasswordEdit::changed, this, [this] { m_keypad->field.Changed(); });
    connect(m_field, &PasswordEdit::clicked, this, [this] { m_keypad->field.Clicked(); });
    connect(m_field, &PasswordEdit::dragCompleted, this, [this](int effect) { m_keypad->field.DragCompleted(effect); });

    // The window sees every key before the focused control does.
    qApp->installEventFilter(this);
}

KeypadWindow::~KeypadWindow()
{
    qApp->removeEventFilter(this);
}

void KeypadWindow::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("keypadClient");
    setCentralWidget(client);

    // Created in the order a reader meets them on the screen, row by row, so that assistive technology lists
    // them that way; the tab order is the layout table's own.
    std::vector<const ControlLayout*> screenOrder;
    for (const ControlLayout& control : keypadLayout()) {
        screenOrder.push_back(&control);
    }
    std::stable_sort(screenOrder.begin(), screenOrder.end(), [](const ControlLayout* a, const ControlLayout* b) {
        return std::tie(a->top, a->left) < std::tie(b->top, b->left);
    });
    std::map<std::string_view, QWidget*> widgets;
    for (const ControlLayout* control : screenOrder) {
        QWidget* widget;
        if (control->name == kFieldName) {
            m_field = new PasswordEdit(client);
            widget = m_field;
        } else {
            auto* button = new QPushButton(qtText(control->caption), client);
            button->setAutoDefault(false);
            m_buttons.emplace(std::string(control->name), button);
            widget = button;
        }
        widget->setObjectName(qtText(control->name));
        widget->setToolTip(qtText(control->tooltip));
        widgets.emplace(control->name, widget);
    }

    m_scale = scaleToFitCaptions();
    client->setFixedWidth(twipsToPixels(kDesignClientWidth, m_scale));
    for (const ControlLayout* control : screenOrder) {
        widgets.at(control->name)
            ->setGeometry(twipsRect(control->left, control->top, control->width, control->height, m_scale));
    }

    QWidget* previous = nullptr;
    for (const ControlLayout& control : keypadLayout()) {
        QWidget* widget = widgets.at(control.name);
        if (!control.inTabOrder) {
            widget->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        // A click on a key leaves the focus where it is, on the field: focus moving to the key would announce
        // the key's name, that is the character clicked, to every listener on the accessibility bus. Tab
        // still reaches every key.
        if (widget != m_field) {
            widget->setFocusPolicy(Qt::TabFocus);
        }
        if (previous) {
            setTabOrder(previous, widget);
        }
        previous = widget;
    }

    // The locks show their state as a pressed-in key, also to assistive technology (checked).
    for (const char* lock : {"cmdCaps", "cmdShift"}) {
        m_buttons.at(lock)->setCheckable(true);
    }

    for (const KeyDef& key : kKeyTable) {
        const std::string name(key.controlName);
        connect(m_buttons.at(name), &QPushButton::clicked, this, [this, name] { m_keypad->keys.PressKey(name); });
    }
    connect(m_buttons.at("cmdCaps"), &QPushButton::clicked, this, [this] {
        m_keypad->keys.ToggleCaps();
        showLockStates();
    });
    connect(m_buttons.at("cmdShift"), &QPushButton::clicked, this, [this] {
        m_keypad->keys.ToggleShift();
        showLockStates();
    });
    connect(m_buttons.at("cmdBackSpace"), &QPushButton::clicked, this, [this] { m_keypad->field.Back(); });
    connect(m_buttons.at("cmdDelete"), &QPushButton::clicked, this, [this] { m_keypad->field.Delete(); });
    connect(m_buttons.at("cmdClear"), &QPushButton::clicked, this, [this] { m_keypad->field.Clear(); });
    connect(m_buttons.at("cmdSelectAll"), &QPushButton::clicked, this, [this] { m_keypad->field.SelectAll(); });
}

void KeypadWindow::buildMenu()
{
    std::map<MenuItem, QMenu*> submenus;
    for (const MenuDef& def : kMenuTable) {
        const bool hasSubmenu = std::any_of(kMenuTable.begin(), kMenuTable.end(),
                                            [&](const MenuDef& other) { return other.parent == def.item; });
        QAction* action;
        if (hasSubmenu) {
            QMenu* menu = def.parent ? submenus.at(*def.parent)->addMenu(qtText(def.designCaption))
                                     : menuBar()->addMenu(qtText(def.designCaption));
            menu->setObjectName(qtText(def.controlName));
            submenus.emplace(def.item, menu);
            action = menu->menuAction();
        } else {
            action = def.parent ? submenus.at(*def.parent)->addAction(qtText(def.designCaption))
                                : menuBar()->addAction(qtText(def.designCaption));
            const MenuItem item = def.item;
            connect(action, &QAction::triggered, this, [this, item] { m_keypad->commands.MenuClicked(item); });
        }
        action->setObjectName(qtText(def.controlName));
        m_actions.emplace(def.item, action);
    }
}

void KeypadWindow::load()
{
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    m_keypad->StartUp();
    showLockStates();
    // The first key has the focus when the window first shows, whatever start-up did to the field.
    m_buttons.at("cmd1")->setFocus(Qt::OtherFocusReason);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, (height() + kEstimatedFrameHeight) / 2));
    }
}

void KeypadWindow::unload()
{
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_keypad->ShutDown();
}

void KeypadWindow::saveSettings()
{
    if (!m_unloaded) {
        m_keypad->SaveSettings();
    }
}

void KeypadWindow::SetKeyLabel(std::string_view controlName, std::string_view text)
{
    m_buttons.at(std::string(controlName))->setText(qtText(text));
}

void KeypadWindow::SetMenuVisible(MenuItem item, bool visible)
{
    m_actions.at(item)->setVisible(visible);
    // With no top-level item left there is no menu bar at all.
    const bool anyShown = std::any_of(kMenuTable.begin(), kMenuTable.end(), [this](const MenuDef& def) {
        return !def.parent && m_actions.at(def.item)->isVisible();
    });
    menuBar()->setVisible(anyShown);
    applyHeight();
}

void KeypadWindow::SetMenuCaption(MenuItem item, std::string_view caption)
{
    QAction* action = m_actions.at(item);
    action->setText(qtText(caption));
    // Qt does not tell assistive technology that a menu item was renamed.
    for (QObject* shownIn : action->associatedObjects()) {
        announceRenamed(shownIn, action);
    }
}

double KeypadWindow::scaleToFitCaptions() const
{
    // A little room beside and above the text, as the style's own button frame needs.
    constexpr int kSideRoom = 6;
    constexpr int kTopRoom = 4;
    double scale = 1.0;
    for (const ControlLayout& control : keypadLayout()) {
        const auto found = m_buttons.find(control.name);
        if (found == m_buttons.end()) {
            continue;
        }
        const QPushButton* button = found->second;
        // The longest caption a key can show: both of its labels.
        QStringList captions{button->text()};
        for (const KeyDef& key : kKeyTable) {
            if (key.controlName == control.name) {
                captions = {qtText(captionFor(key.unshifted)), qtText(captionFor(key.shifted))};
            }
        }
        const QFontMetrics metrics = button->fontMetrics();
        for (QString caption : captions) {
            caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
            const double width = twipsToPixels(control.width);
            const double height = twipsToPixels(control.height);
            scale = std::max(scale, (metrics.horizontalAdvance(caption) + kSideRoom) / width);
            scale = std::max(scale, (metrics.height() + kTopRoom) / height);
        }
    }
    return scale;
}

void KeypadWindow::showLockStates()
{
    m_buttons.at("cmdCaps")->setChecked(m_keypad->model.CapsLock);
    m_buttons.at("cmdShift")->setChecked(m_keypad->model.ShiftLock);
}

void KeypadWindow::SetWindowHeight(int twips)
{
    m_outerHeightTwips = twips;
    applyHeight();
}

void KeypadWindow::CloseWindow()
{
    close();
}

void KeypadWindow::SetCaption(std::string_view caption)
{
    setWindowTitle(qtText(caption));
}

void KeypadWindow::SetKeypadTopMost(bool on)
{
    m_stacking.SetTopMost(this, on);
}

int KeypadWindow::clientHeightFor(int outerTwips, int frameHeight, int menuBarHeight, double scale)
{
    const ControlLayout& lastVisible = controlLayout("cmdBackSpace");
    const int keysBottom = twipsToPixels(lastVisible.top + lastVisible.height, scale);
    const int hiddenRowTop = twipsToPixels(controlLayout("cmdDelete").top, scale);
    const int keyArea =
        twipsToPixels(outerTwips, scale) - (frameHeight > 0 ? frameHeight : kEstimatedFrameHeight) - menuBarHeight;
    return std::clamp(keyArea, keysBottom, hiddenRowTop) + menuBarHeight;
}

void KeypadWindow::applyHeight()
{
    if (m_outerHeightTwips <= 0) {
        return;
    }
    const int frame = frameGeometry().height() - geometry().height();
    // isHidden, not isVisible: before the first show no child counts as visible.
    const int menuBarHeight = menuBar()->isHidden() ? 0 : menuBar()->sizeHint().height();
    const int client = clientHeightFor(m_outerHeightTwips, frame, menuBarHeight, m_scale);
    const int width = twipsToPixels(kDesignClientWidth, m_scale);
    if (size() != QSize(width, client)) {
        setFixedSize(width, client);
    }
}

bool KeypadWindow::isKeyForThisWindow(QObject* receiver) const
{
    // Keys for an open menu, a message box or another window of the program are theirs alone.
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    return widget && widget->window() == this && !QApplication::activePopupWidget();
}

bool KeypadWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && isKeyForThisWindow(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        std::uint16_t code = keyCodeFor(key->key());
        m_keypad->commands.KeyDown(code, shiftStateFor(key->modifiers()));
        showLockStates();
        if (code == 0) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void KeypadWindow::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void KeypadWindow::moveEvent(QMoveEvent* event)
{
    // The window manager's frame arrives some time after the first show, announced by a move.
    applyHeight();
    QMainWindow::moveEvent(event);
}

void KeypadWindow::showEvent(QShowEvent* event)
{
    applyHeight();
    QMainWindow::showEvent(event);
}
