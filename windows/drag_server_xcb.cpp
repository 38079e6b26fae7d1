#include "windows/drag_payload.h"
#include "windows/drag_server.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace {

enum Atom : std::size_t
{
    XdndSelection,
    Targets,
    Utf8String,
    Text,
    TextPlain,
    TextPlainUtf8,
    SecretHint,
    Scrub,
    AtomCount
};

constexpr xcb_atom_t kNoAtom = XCB_ATOM_NONE;

constexpr std::array<const char*, AtomCount> kAtomNames = {
    "XdndSelection",
    "TARGETS",
    "UTF8_STRING",
    "TEXT",
    "text/plain",
    "text/plain;charset=utf-8",
    "x-kde-passwordManagerHint",
    "_GLYPHWARD_SCRUB",
};

class DragDataServer : public QAbstractNativeEventFilter
{
public:
    explicit DragDataServer(xcb_connection_t* connection) : m_connection(connection)
    {
        std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
        for (std::size_t i = 0; i < AtomCount; ++i) {
            cookies[i] =
                xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i]);
        }
        for (std::size_t i = 0; i < AtomCount; ++i) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
            m_atoms[i] = reply ? reply->atom : kNoAtom;
            std::free(reply);
        }
    }

    bool valid() const
    {
        for (const xcb_atom_t atom : m_atoms) {
            if (atom == XCB_ATOM_NONE) {
                return false;
            }
        }
        return true;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST) {
            return false;
        }
        const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
        if (request->selection != m_atoms[XdndSelection]) {
            return false;
        }
        answer(*request);
        return true;
    }

private:
    void answer(const xcb_selection_request_event_t& request)
    {
        // A requestor of before ICCCM 2 names no property: the target's name is the property then.
        const xcb_atom_t property = request.property != XCB_ATOM_NONE ? request.property : request.target;
        const bool served = serve(request, property);

        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = served ? property : kNoAtom;
        xcb_send_event(m_connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(m_connection);
    }

    bool serve(const xcb_selection_request_event_t& request, xcb_atom_t property)
    {
        DragPayload* payload = DragPayload::current();
        if (!payload || request.requestor == XCB_WINDOW_NONE) {
            return false;
        }
        const xcb_atom_t target = request.target;
        if (target == m_atoms[Targets]) {
            const std::array<xcb_atom_t, 7> targets = {
                m_atoms[Targets], m_atoms[Utf8String], m_atoms[TextPlainUtf8], m_atoms[TextPlain],
                XCB_ATOM_STRING,  m_atoms[Text],       m_atoms[SecretHint],
            };
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                                static_cast<uint32_t>(targets.size()), targets.data());
            return true;
        }
        if (target == m_atoms[SecretHint]) {
            const QByteArray& hint = DragPayload::secretHintValue();
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, target, 8,
                                static_cast<uint32_t>(hint.size()), hint.constData());
            return true;
        }
        // The password is printable ASCII: the same bytes in UTF-8 and in Latin-1, which STRING means. TEXT
        // lets the owner choose the encoding, and says which by the property's type.
        xcb_atom_t type;
        if (target == m_atoms[Utf8String] || target == m_atoms[TextPlain] || target == m_atoms[TextPlainUtf8] ||
            target == XCB_ATOM_STRING) {
            type = target;
        } else if (target == m_atoms[Text]) {
            type = XCB_ATOM_STRING;
        } else {
            return false;
        }
        const SecretText password = payload->handOver();
        if (password.empty()) {
            return false;
        }
        writeSecretProperty(request, property, type, password);
        return true;
    }

    // xcb copies a request that fits into its connection's output buffer and leaves it there after sending it.
    // With that buffer emptied first, the property's bytes sit at a known place in it, and a request of the
    // same shape on the selection owner's window (Qt's, in this process) then overwrites exactly them.
    void writeSecretProperty(const xcb_selection_request_event_t& request, xcb_atom_t property, xcb_atom_t type,
                             const SecretText& value)
    {
        const auto length = static_cast<uint32_t>(value.size());
        xcb_flush(m_connection);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, type, 8, length,
                            value.data());
        xcb_flush(m_connection);
        const std::vector<char> zeros(value.size(), '\0');
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.owner, m_atoms[Scrub], type, 8, length,
                            zeros.data());
        xcb_delete_property(m_connection, request.owner, m_atoms[Scrub]);
    }

    xcb_connection_t* m_connection;
    std::array<xcb_atom_t, AtomCount> m_atoms{};
};

} // namespace

void serveDragDataOurselves()
{
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        return;
    }
    // Lives as long as the program; the filter list keeps a plain pointer to it.
    static DragDataServer server(x11->connection());
    if (server.valid()) {
        QCoreApplication::instance()->installNativeEventFilter(&server);
    }
}
