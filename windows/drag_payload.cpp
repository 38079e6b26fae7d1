#include "windows/drag_payload.h"

#include <utility>

QPointer<DragPayload> DragPayload::s_current;

DragPayload::DragPayload(SecretText text) : m_text(std::move(text))
{
    if (s_current) {
        s_current->wipe();
    }
    s_current = this;
}

DragPayload::~DragPayload()
{
    wipe();
}

DragPayload* DragPayload::current()
{
    DragPayload* payload = s_current.data();
    return payload && !payload->m_wiped ? payload : nullptr;
}

SecretText DragPayload::handOver()
{
    if (m_wiped || m_text.empty()) {
        return {};
    }
    noteHandedOver();
    return m_text;
}

void DragPayload::wipe() noexcept
{
    m_text.clear();
    for (const QByteArray& copy : m_handedOut) {
        // Through the shared buffer, which Qt may still reference; detaching would wipe a copy instead.
        wipeMemory(const_cast<char*>(copy.constData()), static_cast<std::size_t>(copy.size()));
    }
    m_handedOut.clear();
    if (!m_wiped) {
        m_wiped = true;
        emit ended();
    }
}

QStringList DragPayload::formats() const
{
    return {textFormat(), secretHintFormat()};
}

bool DragPayload::hasFormat(const QString& mimeType) const
{
    return mimeType == textFormat() || mimeType == secretHintFormat();
}

const QString& DragPayload::textFormat()
{
    static const QString format = QStringLiteral("text/plain");
    return format;
}

// Tells clipboard managers that watch transfers, and password managers, that the text is a secret to leave
// alone: not to be kept in a history nor shown.
const QString& DragPayload::secretHintFormat()
{
    static const QString format = QStringLiteral("x-kde-passwordManagerHint");
    return format;
}

const QByteArray& DragPayload::secretHintValue()
{
    static const QByteArray value = QByteArrayLiteral("secret");
    return value;
}

QVariant DragPayload::retrieveData(const QString& mimeType, QMetaType) const
{
    if (mimeType == secretHintFormat()) {
        return secretHintValue();
    }
    if (mimeType != textFormat() || m_wiped || m_text.empty()) {
        return {};
    }
    QByteArray copy(m_text.data(), static_cast<qsizetype>(m_text.size()));
    m_handedOut.push_back(copy);
    // Asked for the data is as good as handed over: the toolkit asks on a target's behalf.
    const_cast<DragPayload*>(this)->noteHandedOver();
    return copy;
}

void DragPayload::noteHandedOver()
{
    if (!m_handedOver) {
        m_handedOver = true;
        emit firstHandedOver();
    }
}
