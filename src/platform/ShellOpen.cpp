#include "ShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// A scheme of two letters or more: one letter would be a drive.
bool isWebAddress(const QString &text)
{
    static const QRegularExpression scheme(uR"(\A[A-Za-z][A-Za-z0-9+.\-]+:)"_s);
    return scheme.match(text).hasMatch() || text.startsWith(u"www."_s, Qt::CaseInsensitive);
}

// local@domain with nothing that would make it a path, a scheme or a second address.
bool isBareMailAddress(const QString &text)
{
    static const QRegularExpression address(uR"(\A[^\s@/\\:]+@[^\s@/\\:]+\z)"_s);
    return address.match(text).hasMatch();
}

} // namespace

QUrl ShellOpenUrl(const QString &target)
{
    // Blanks around the target are no part of the address; QUrl::fromUserInput reads web
    // addresses and paths the same way.
    const QString text = target.trimmed();
    if (text.isEmpty())
        return QUrl();
    if (isWebAddress(text))
        return QUrl::fromUserInput(target);
    // Without a scheme QUrl would take the local part for a user name at a web host.
    if (isBareMailAddress(text))
        return QUrl(u"mailto:"_s + text);
    // Anything else names a file, a relative one from where the program runs.
    return QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile);
}

void ShellOpen(const QString &target)
{
    const QUrl url = ShellOpenUrl(target);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}
