#include "FileOper.h"

#include "Application.h"
#include "CodePage.h"

#include <array>

quint32 FileModeFunc(TFileMode mode)
{
    switch (mode) {
    case foCopy:
        return FO_COPY;
    case foDelete:
        return FO_DELETE;
    case foMove:
        return FO_MOVE;
    case foRename:
        return FO_RENAME;
    }
    return 0;
}

quint16 FileOptionFlags(TFileOptions options)
{
    static constexpr std::array<quint16, 10> flags = {
        FOF_ALLOWUNDO,
        FOF_CONFIRMMOUSE,
        FOF_FILESONLY,
        FOF_MULTIDESTFILES,
        FOF_NOCONFIRMATION,
        FOF_NOCONFIRMMKDIR,
        FOF_RENAMEONCOLLISION,
        FOF_SILENT,
        FOF_SIMPLEPROGRESS,
        FOF_WANTMAPPINGHANDLE,
    };
    quint16 result = 0;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (options.contains(static_cast<TFileOption>(i)))
            result |= flags[i];
    }
    return result;
}

QByteArray BuildSourceList(const QByteArray &source)
{
    if (source.isEmpty())
        return QByteArray(1, '\0');
    QByteArray list = source;
    list.append('\0');
    list.append('\0');
    const qsizetype end = source.size();
    for (qsizetype i = 0; i < end; i += CodePage::charLength(list.constData(), end, i)) {
        if (list[i] == ';')
            list[i] = '\0';
    }
    return list;
}

QByteArray BuildNameList(const QByteArray &name)
{
    QByteArray list = name;
    list.append('\0');
    list.append('\0');
    return list;
}

TFileOperation::TFileOperation(QObject *owner)
    : QObject(owner)
{
}

int TFileOperation::Execute()
{
    const QByteArray source = CodePage::toNative(m_source);
    const QByteArray from = m_splitSource ? BuildSourceList(source) : BuildNameList(source);
    const QByteArray to = BuildNameList(CodePage::toNative(m_destination));
    const QByteArray title = CodePage::toNative(m_title);

    SHFILEOPSTRUCT op;
    op.hwnd = Application::mainForm();
    op.wFunc = FileModeFunc(m_mode);
    op.pFrom = from.constData();
    op.pTo = to.constData();
    op.fFlags = FileOptionFlags(m_options);
    // One whole name is that file's name, whatever characters it holds.
    if (!m_splitSource)
        op.fFlags |= FOF_LITERALNAMES;
    if (m_options.contains(fofSimpleProgress))
        op.lpszProgressTitle = title.constData();

    const int result = m_service ? m_service(op) : SHFileOperation(&op, m_prompter);
    m_abortByUser = op.fAnyOperationsAborted;
    return result;
}
