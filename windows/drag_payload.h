#pragma once

#include "keypad/secret_text.h"

#include <QMimeData>
#include <QPointer>
#include <vector>

// The data of one drag of the password. Every copy of the password that leaves it is one it made itself:
// handOver() for our own X11 selection answers, a QByteArray from retrieveData() for the toolkit (the OLE
// data object on Windows). It keeps a reference to each such array and overwrites them all, together with its
// own text, when it is wiped or deleted.
//
// It also tells whether the password was actually handed to anybody: a target that reports a move without
// ever asking for the data must not make the field empty itself.
class DragPayload : public QMimeData
{
    Q_OBJECT

public:
    explicit DragPayload(SecretText text);
    ~DragPayload() override;

    // The payload of the latest drag while it can still hand out the password; null otherwise. Starting a
    // drag wipes the one before: a target has until then to read its drop.
    static DragPayload* current();

    // A copy of the password for one requestor, counted as handed over. Empty once wiped.
    SecretText handOver();
    bool handedOver() const { return m_handedOver; }

    // Forgets the password and overwrites every copy given out; nothing is handed out afterwards.
    void wipe() noexcept;
    bool wiped() const { return m_wiped; }

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

    static const QString& textFormat();
    static const QString& secretHintFormat();
    static const QByteArray& secretHintValue();

signals:
    // The password went to a requestor for the first time.
    void firstHandedOver();
    // The payload can hand out nothing more: wiped, or being deleted. Raised once.
    void ended();

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    void noteHandedOver();

    SecretText m_text;
    mutable std::vector<QByteArray> m_handedOut;
    bool m_handedOver = false;
    bool m_wiped = false;

    static QPointer<DragPayload> s_current;
};
