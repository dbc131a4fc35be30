#pragma once

#include "ShellFileOp.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>

class Prompter;

enum TFileMode : quint8 { foCopy, foDelete, foMove, foRename };

enum TFileOption : quint8 {
    fofAllowUndo,
    fofConfirmMouse,
    fofFilesOnly,
    fofMultiDestFiles,
    fofNoConfirmation,
    fofNoConfirmMkDir,
    fofRenameOnCollision,
    fofSilent,
    fofSimpleProgress,
    fofWantMappingHandle,
};

// A set of TFileOption, bit n standing for the option with ordinal n.
class TFileOptions {
public:
    constexpr TFileOptions() = default;
    constexpr TFileOptions(std::initializer_list<TFileOption> options)
    {
        for (TFileOption o : options)
            m_bits = static_cast<quint16>(m_bits | (1u << o));
    }
    constexpr bool contains(TFileOption o) const { return (m_bits >> o) & 1u; }
    constexpr quint16 bits() const { return m_bits; }
    friend constexpr bool operator==(TFileOptions, TFileOptions) = default;

private:
    quint16 m_bits = 0;
};

// The request record's parts as Execute builds them; free functions so their rules can be
// checked on their own.
quint32 FileModeFunc(TFileMode mode);
quint16 FileOptionFlags(TFileOptions options);
// Source as the service's name list: every ';' outside a multibyte character ends a name.
QByteArray BuildSourceList(const QByteArray &source);
// One name, or an empty list for an empty text.
QByteArray BuildNameList(const QByteArray &name);

// Hands one copy, move, delete or rename to the file-operation service and passes its result
// back. Setting a property only stores it; nothing happens until Execute.
class TFileOperation final : public QObject {
    Q_OBJECT
public:
    explicit TFileOperation(QObject *owner = nullptr);

    bool AbortByUser() const { return m_abortByUser; }
    QString Destination() const { return m_destination; }
    void setDestination(const QString &destination) { m_destination = destination; }
    TFileMode Mode() const { return m_mode; }
    void setMode(TFileMode mode) { m_mode = mode; }
    TFileOptions Options() const { return m_options; }
    void setOptions(TFileOptions options) { m_options = options; }
    QString Source() const { return m_source; }
    void setSource(const QString &source) { m_source = source; }
    QString Title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    // Whether Source is a ';'-separated list (the default) or always one name. A form that
    // passes user-chosen paths turns splitting off, so that a name holding ';' stays whole;
    // such a name is also never read as a wildcard pattern.
    bool SplitSource() const { return m_splitSource; }
    void setSplitSource(bool split) { m_splitSource = split; }

    // Runs the operation the properties describe; returns the service's result, zero for
    // success. Returns only when the service, its dialogs included, has finished.
    int Execute();

    // Who answers the service's questions; null: the real dialogs.
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }
    // Test seam: receives the filled request record in place of the real service.
    using Service = std::function<int(SHFILEOPSTRUCT &)>;
    void setService(Service service) { m_service = std::move(service); }

private:
    bool m_abortByUser = false;
    QString m_destination;
    TFileMode m_mode = foCopy;
    TFileOptions m_options;
    QString m_source;
    QString m_title;
    bool m_splitSource = true;
    Prompter *m_prompter = nullptr;
    Service m_service;
};
