#include "ShellFileOp.h"

#include "CodePage.h"
#include "PosixFile.h"
#include "Prompter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using PosixFile::Fd;
using PosixFile::statOf;
using PosixFile::syncFolder;
using PosixFile::TempFile;
using PosixFile::writeAll;

constexpr size_t ChunkSize = 1024 * 1024;

enum class Kind { Move, Copy, Delete, Rename };

// The wording of one kind of operation.
struct Words {
    QString errorTitle;
    QString progressTitle;
    QString cannot; // "「%1」を...できません。"
    QString sameFile; // source and destination are one file
    QString subtree; // a folder into itself
    QString noDest;
};

Words wordsFor(Kind kind)
{
    switch (kind) {
    case Kind::Copy:
        return {u"ファイルのコピー エラー"_s, u"コピー中..."_s, u"「%1」をコピーできません。"_s,
            u"コピー元とコピー先が同じファイルです。"_s,
            u"コピー先のフォルダは、コピー元のフォルダの中にあります。"_s,
            u"コピー先が指定されていません。"_s};
    case Kind::Move:
        return {u"ファイルの移動 エラー"_s, u"移動中..."_s, u"「%1」を移動できません。"_s,
            u"移動元と移動先が同じファイルです。"_s,
            u"移動先のフォルダは、移動元のフォルダの中にあります。"_s,
            u"移動先が指定されていません。"_s};
    case Kind::Delete:
        return {
            u"ファイルの削除 エラー"_s, u"削除中..."_s, u"「%1」を削除できません。"_s, {}, {}, {}};
    case Kind::Rename:
        break;
    }
    return {u"ファイル名の変更 エラー"_s, u"名前の変更中..."_s, u"「%1」の名前を変更できません。"_s,
        {}, {}, u"新しい名前が指定されていません。"_s};
}

QByteArray native(const QString &path)
{
    return CodePage::toNative(path);
}
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString absolutePath(const QString &name)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(name));
}

// errno as a sentence for the user; the common ones in our own words.
QString reason(int err)
{
    switch (err) {
    case ENOSPC:
        return u"ディスクに空きがありません。"_s;
    case EDQUOT:
        return u"ディスクの使用量の上限に達しました。"_s;
    case EACCES:
    case EPERM:
        return u"アクセスが拒否されました。"_s;
    case EROFS:
        return u"ディスクは書き込み禁止になっています。"_s;
    case EFBIG:
        return u"ファイルが大きすぎます。"_s;
    case ENOENT:
        return u"ファイルまたはフォルダが見つかりません。"_s;
    case EIO:
        return u"デバイスの入出力エラーが発生しました。"_s;
    case ENAMETOOLONG:
        return u"ファイル名が長すぎます。"_s;
    case EEXIST:
        return u"同じ名前のファイルまたはフォルダが既にあります。"_s;
    case ENOTEMPTY:
        return u"フォルダが空ではありません。"_s;
    case EBUSY:
        return u"ファイルは使用中です。"_s;
    case EXDEV:
        // Only a replace meets it: a move to another file system copies instead.
        return u"別のファイル システムにあるため、置き換えられません。"_s;
    default:
        break;
    }
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(err, buffer, sizeof buffer));
}

QString notFoundText(const QString &path)
{
    return u"「%1」が見つかりません。\nファイル名とパスが正しいか確認してください。"_s.arg(
        shown(path));
}

QString readText(const QString &path, int err)
{
    return u"「%1」を読み取れません。\n%2"_s.arg(shown(path), reason(err));
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isDir(const std::optional<struct stat> &st)
{
    return st && S_ISDIR(st->st_mode);
}

qint64 bytesOf(const struct stat &st)
{
    return S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
}

// Where a path really leads, also when its last parts do not exist yet.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString parent = info.path();
    if (parent == path)
        return path;
    return QDir::cleanPath(childPath(resolvedPath(parent), info.fileName()));
}

struct CloseDir {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// The names in a folder, sorted. An unreadable folder is an error, never an empty one.
int listFolder(const QString &path, QStringList &names)
{
    const std::unique_ptr<DIR, CloseDir> dir(::opendir(native(path).constData()));
    if (!dir)
        return errno;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                return errno;
            break;
        }
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << CodePage::fromNative(name);
    }
    names.sort();
    return 0;
}

struct Tally {
    int files = 0;
    qint64 bytes = 0;
};

Tally tally(const QString &path, bool follow)
{
    Tally total;
    const auto st = statOf(path, follow);
    if (!st)
        return total;
    if (!S_ISDIR(st->st_mode))
        return {1, bytesOf(*st)};
    QStringList names;
    listFolder(path, names);
    for (const QString &name : std::as_const(names)) {
        const Tally part = tally(childPath(path, name), false);
        total.files += part.files;
        total.bytes += part.bytes;
    }
    return total;
}

// rename() that never replaces anything; EEXIST when the name is taken.
int renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray f = native(from);
    const QByteArray t = native(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: look first, the best it allows.
    if (statOf(to, false))
        return EEXIST;
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

int makePath(const QString &path)
{
    const QByteArray name = native(path);
    if (::mkdir(name.constData(), 0777) == 0)
        return 0;
    const int err = errno;
    if (err == EEXIST)
        return isDir(statOf(path, true)) ? 0 : ENOTDIR;
    const QString parent = QFileInfo(path).path();
    if (err != ENOENT || parent == path)
        return err;
    if (const int parentErr = makePath(parent))
        return parentErr;
    return ::mkdir(name.constData(), 0777) == 0 || (errno == EEXIST && isDir(statOf(path, true)))
        ? 0
        : errno;
}

int removeTree(const QString &path, QString &failed)
{
    const auto st = statOf(path, false);
    const QByteArray name = native(path);
    int err = 0;
    if (!st) {
        err = errno;
    } else if (S_ISDIR(st->st_mode)) {
        QStringList names;
        err = listFolder(path, names);
        for (qsizetype i = 0; err == 0 && i < names.size(); ++i)
            if (const int childErr = removeTree(childPath(path, names.at(i)), failed))
                return childErr;
        if (err == 0 && ::rmdir(name.constData()) != 0)
            err = errno;
    } else if (::unlink(name.constData()) != 0) {
        err = errno;
    }
    if (err != 0)
        failed = path;
    return err;
}

FileFacts factsOf(const QString &path, const std::optional<struct stat> &st)
{
    FileFacts facts;
    facts.path = shown(path);
    if (st) {
        facts.size = qint64(st->st_size);
        facts.modified = QDateTime::fromMSecsSinceEpoch(
            qint64(st->st_mtim.tv_sec) * 1000 + st->st_mtim.tv_nsec / 1000000);
    }
    return facts;
}

// "<base> - コピー<.ext>", then "<base> - コピー (2)<.ext>" and on: the first free name.
QString freeName(const QString &path, bool splitSuffix)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = splitSuffix ? name.lastIndexOf(u'.') : -1;
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    for (int n = 1; n < 10000; ++n) {
        const QString number = n > 1 ? u" (%1)"_s.arg(n) : QString();
        const QString candidate = childPath(info.path(), base + u" - コピー"_s + number + suffix);
        if (!statOf(candidate, false) && errno == ENOENT)
            return candidate;
    }
    return {};
}

struct Context {
    explicit Context(SHFILEOPSTRUCT &request, Prompter &asker, Kind what)
        : op(request)
        , prompter(asker)
        , kind(what)
        , words(wordsFor(what))
    {
    }

    SHFILEOPSTRUCT &op;
    Prompter &prompter;
    Kind kind;
    Words words;
    std::unique_ptr<Progress> progress;
    std::vector<char> buffer;
    bool replaceAll = false;
    int filesTotal = 0;
    int filesSeen = 0;
    int skipped = 0;
    qint64 bytesDone = 0;

    bool has(quint16 flag) const { return (op.fFlags & flag) != 0; }

    int fail(int code, const QString &text) const
    {
        prompter.error(op.hwnd, words.errorTitle, text);
        return code;
    }
    int fail(int code, const QString &path, int err) const
    {
        return fail(code, words.cannot.arg(shown(path)) + u'\n' + reason(err));
    }
    int failWith(int code, const QString &path, const QString &why) const
    {
        return fail(code, words.cannot.arg(shown(path)) + u'\n' + why);
    }
    int declined(int code)
    {
        op.fAnyOperationsAborted = true;
        return code;
    }

    void startProgress(qint64 total)
    {
        if (has(FOF_SILENT))
            return;
        const bool simple = has(FOF_SIMPLEPROGRESS);
        const QString title = simple && op.lpszProgressTitle
            ? CodePage::fromNative(QByteArray(op.lpszProgressTitle))
            : words.progressTitle;
        progress = prompter.progress(op.hwnd, title, !simple);
        if (progress)
            progress->setTotal(total);
    }
    void current(const QString &from, const QString &to)
    {
        if (progress)
            progress->setCurrent(shown(from), to.isEmpty() ? QString() : shown(to));
    }
    void done(qint64 bytes)
    {
        bytesDone += bytes;
        if (progress)
            progress->setDone(bytesDone);
    }
    bool cancelled() const { return progress && progress->cancelled(); }
};

enum class Verdict { Create, Replace, Merge, Skip };

// What to do about the name `to`: free, replace it (asking first unless told not to), merge
// two folders, skip this file, or, with FOF_RENAMEONCOLLISION at the top, take a free name.
int decide(Context &ctx, const struct stat &fromSt, const QString &from, QString &to,
    Verdict &verdict, bool top)
{
    const auto there = statOf(to, false);
    if (!there) {
        if (errno != ENOENT)
            return ctx.fail(DE_ERRORONDEST, to, errno);
        verdict = Verdict::Create;
        return 0;
    }
    const bool fromDir = S_ISDIR(fromSt.st_mode);
    const auto followed = S_ISLNK(there->st_mode) ? statOf(to, true) : there;
    const bool toDir = isDir(followed);
    if (top && ctx.has(FOF_RENAMEONCOLLISION)) {
        const QString freeTarget = freeName(to, !fromDir);
        if (freeTarget.isEmpty())
            return ctx.fail(DE_ERRORONDEST, to, EEXIST);
        to = freeTarget;
        verdict = Verdict::Create;
        return 0;
    }
    if (fromDir && toDir) {
        verdict = Verdict::Merge;
        return 0;
    }
    if (toDir)
        return ctx.failWith(DE_ERRORONDEST, to, u"同じ名前のフォルダが既にあります。"_s);
    if (fromDir)
        return ctx.failWith(DE_ERRORONDEST, to, u"同じ名前のファイルが既にあります。"_s);
    verdict = Verdict::Replace;
    // A file we may not write is never replaced, though its folder would let a rename do it.
    if (followed)
        if (const int err = PosixFile::mayWrite(to))
            return ctx.fail(DE_ERRORONDEST, to, err);
    if (ctx.has(FOF_NOCONFIRMATION) || ctx.replaceAll)
        return 0;
    const bool more = ctx.filesSeen + 1 < ctx.filesTotal;
    switch (
        ctx.prompter.askReplace(ctx.op.hwnd, factsOf(to, followed), factsOf(from, fromSt), more)) {
    case ReplaceAnswer::Yes:
        break;
    case ReplaceAnswer::YesToAll:
        ctx.replaceAll = true;
        break;
    case ReplaceAnswer::No:
        ctx.op.fAnyOperationsAborted = true;
        ++ctx.skipped;
        ++ctx.filesSeen;
        ctx.done(bytesOf(fromSt));
        verdict = Verdict::Skip;
        break;
    case ReplaceAnswer::Cancel:
        return ctx.declined(DE_CANCELLED);
    }
    return 0;
}

// A destination that is a link keeps the link: the file it points to is the one replaced.
QString writeTarget(const QString &to, bool replace)
{
    if (!replace)
        return to;
    const auto st = statOf(to, false);
    if (!st || !S_ISLNK(st->st_mode))
        return to;
    const QString real = QFileInfo(to).canonicalFilePath();
    return real.isEmpty() ? to : real;
}

int copyFile(
    Context &ctx, const QString &from, const struct stat &fromSt, const QString &to, bool replace)
{
    if (ctx.cancelled())
        return ctx.declined(DE_OPCANCELLED);
    const auto existing = statOf(to, true);
    if (existing && sameFile(*existing, fromSt))
        return ctx.failWith(DE_SAMEFILE, to, ctx.words.sameFile);
    const QString real = writeTarget(to, replace);

    // O_NONBLOCK: a pipe or a device put where the file was must not stop us on opening.
    Fd in(::open(native(from).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat src { };
    if (in.get() < 0 || ::fstat(in.get(), &src) != 0)
        return ctx.fail(DE_ACCESSDENIEDSRC, readText(from, errno));
    if (!S_ISREG(src.st_mode))
        return ctx.failWith(DE_ACCESSDENIEDSRC, from, u"通常のファイルではありません。"_s);
    const int fileFlags = ::fcntl(in.get(), F_GETFL);
    if (fileFlags < 0 || ::fcntl(in.get(), F_SETFL, fileFlags & ~O_NONBLOCK) != 0)
        return ctx.fail(DE_ACCESSDENIEDSRC, readText(from, errno));

    const QFileInfo target(real);
    TempFile temp;
    if (const int err = temp.create(target.path(), target.fileName()))
        return ctx.fail(DE_ERRORONDEST, to, err);
    ctx.current(from, to);
    if (ctx.buffer.empty())
        ctx.buffer.resize(ChunkSize);
    for (;;) {
        const ssize_t n = PosixFile::readSome(in.get(), ctx.buffer.data(), ctx.buffer.size());
        if (n < 0)
            return ctx.fail(DE_ACCESSDENIEDSRC, readText(from, errno));
        if (n == 0)
            break;
        if (const int err = writeAll(temp.fd(), ctx.buffer.data(), size_t(n)))
            return ctx.fail(DE_ERRORONDEST, to, err);
        ctx.done(n);
        if (ctx.cancelled())
            return ctx.declined(DE_OPCANCELLED);
    }

    const struct stat *replaced = replace && existing ? &*existing : nullptr;
    if (const int err = PosixFile::setOwnerAndMode(temp.fd(), replaced, src.st_mode & 0777))
        return ctx.fail(DE_ERRORONDEST, to, err);
    const timespec times[2] = {src.st_atim, src.st_mtim};
    if (::futimens(temp.fd(), times) != 0) {
        // The time is a courtesy; the content is what matters.
    }
    if (const int err = PosixFile::sync(temp.fd()))
        return ctx.fail(DE_ERRORONDEST, to, err);
    if (const int err = temp.link())
        return ctx.fail(DE_ERRORONDEST, to, err);
    if (const int err = temp.close())
        return ctx.fail(DE_ERRORONDEST, to, err);
    const int err = replace
        ? (::rename(temp.path().constData(), native(real).constData()) == 0 ? 0 : errno)
        : renameNoReplace(CodePage::fromNative(temp.path()), real);
    if (err != 0)
        return ctx.fail(DE_ERRORONDEST, to, err);
    temp.keep();
    // The copy is in place by now; what failed is only the proof that it is on the disk.
    if (const int syncErr = syncFolder(target.path()))
        return ctx.fail(DE_ERRORONDEST,
            u"「%1」はコピーしましたが、ディスクに書き込まれたことを確認できません。\n%2"_s.arg(
                shown(to), reason(syncErr)));
    ++ctx.filesSeen;
    return 0;
}

// A link inside a copied folder is copied as a link, so a tree never leads outside itself.
int copyLink(Context &ctx, const QString &from, const QString &to, bool replace)
{
    QByteArray text(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(native(from).constData(), text.data(), size_t(text.size()));
        if (n < 0)
            return ctx.fail(DE_ACCESSDENIEDSRC, readText(from, errno));
        if (n < text.size()) {
            text.truncate(n);
            break;
        }
        text.resize(text.size() * 2);
    }
    ctx.current(from, to);
    QString made = to;
    if (replace) {
        // Make the new link under a free hidden name, then put it in place in one step.
        const QFileInfo info(to);
        for (int attempt = 0;; ++attempt) {
            made = childPath(info.path(),
                u".%1.%2.part"_s.arg(
                    info.fileName(), QString::number(QRandomGenerator::global()->generate(), 36)));
            if (::symlink(text.constData(), native(made).constData()) == 0)
                break;
            if (errno != EEXIST || attempt == 100)
                return ctx.fail(DE_ERRORONDEST, to, errno);
        }
        if (::rename(native(made).constData(), native(to).constData()) != 0) {
            const int err = errno;
            ::unlink(native(made).constData());
            return ctx.fail(DE_ERRORONDEST, to, err);
        }
    } else if (::symlink(text.constData(), native(to).constData()) != 0) {
        return ctx.fail(DE_ERRORONDEST, to, errno);
    }
    ++ctx.filesSeen;
    ctx.done(0);
    return 0;
}

int copyEntry(Context &ctx, const QString &from, const QString &to, bool top);

int copyFolder(
    Context &ctx, const QString &from, const struct stat &fromSt, const QString &to, bool merge)
{
    // A new folder stays writable for us until its contents are in.
    if (!merge && ::mkdir(native(to).constData(), 0700) != 0)
        return ctx.fail(DE_ERRORONDEST, to, errno);
    QStringList names;
    if (const int err = listFolder(from, names))
        return ctx.fail(DE_ACCESSDENIEDSRC, readText(from, err));
    for (const QString &name : std::as_const(names))
        if (const int code = copyEntry(ctx, childPath(from, name), childPath(to, name), false))
            return code;
    if (!merge) {
        if (::chmod(native(to).constData(), fromSt.st_mode & 07777) != 0)
            return ctx.fail(DE_ERRORONDEST, to, errno);
        const timespec times[2] = {fromSt.st_atim, fromSt.st_mtim};
        if (::utimensat(AT_FDCWD, native(to).constData(), times, 0) != 0) {
            // As for files, the time is a courtesy.
        }
    }
    return 0;
}

int copyEntry(Context &ctx, const QString &from, const QString &to, bool top)
{
    // The names the user gave are followed if they are links; links inside folders are not.
    const auto st = statOf(from, top);
    if (!st)
        return errno == ENOENT ? ctx.fail(DE_INVALIDFILES, notFoundText(from))
                               : ctx.fail(DE_ACCESSDENIEDSRC, readText(from, errno));
    QString target = to;
    Verdict verdict = Verdict::Create;
    if (const int code = decide(ctx, *st, from, target, verdict, top))
        return code;
    if (verdict == Verdict::Skip)
        return 0;
    if (S_ISDIR(st->st_mode))
        return copyFolder(ctx, from, *st, target, verdict == Verdict::Merge);
    if (S_ISLNK(st->st_mode))
        return copyLink(ctx, from, target, verdict == Verdict::Replace);
    if (S_ISREG(st->st_mode))
        return copyFile(ctx, from, *st, target, verdict == Verdict::Replace);
    return ctx.failWith(DE_ACCESSDENIEDSRC, from, u"通常のファイルではありません。"_s);
}

// The source's side when its folder refuses the change, the destination's otherwise.
int renameErrorCode(const QString &from, int err)
{
    if ((err == EACCES || err == EPERM)
        && ::access(native(QFileInfo(from).path()).constData(), W_OK) != 0)
        return DE_ACCESSDENIEDSRC;
    return DE_ERRORONDEST;
}

int moveEntry(Context &ctx, const QString &from, const QString &to, bool top);

int moveFile(
    Context &ctx, const QString &from, const struct stat &fromSt, const QString &to, bool replace)
{
    const auto followedFrom = statOf(from, true);
    const auto existing = statOf(to, true);
    if (followedFrom && existing && sameFile(*followedFrom, *existing))
        return ctx.failWith(DE_SAMEFILE, to, ctx.words.sameFile);
    const QString real = writeTarget(to, replace);
    ctx.current(from, to);
    const int err = replace
        ? (::rename(native(from).constData(), native(real).constData()) == 0 ? 0 : errno)
        : renameNoReplace(from, real);
    if (err == 0) {
        ++ctx.filesSeen;
        ctx.done(bytesOf(fromSt));
        return 0;
    }
    if (err != EXDEV)
        return ctx.fail(renameErrorCode(from, err), from, err);
    // Another file system: copy, and remove the original only once the copy is complete.
    int code = 0;
    if (S_ISREG(fromSt.st_mode))
        code = copyFile(ctx, from, fromSt, to, replace);
    else if (S_ISLNK(fromSt.st_mode))
        code = copyLink(ctx, from, to, replace);
    else
        code = ctx.failWith(DE_ACCESSDENIEDSRC, from, u"通常のファイルではありません。"_s);
    if (code != 0)
        return code;
    if (::unlink(native(from).constData()) != 0)
        return ctx.fail(DE_ACCESSDENIEDSRC, from, errno);
    return 0;
}

int moveFolder(Context &ctx, const QString &from, const struct stat &fromSt, const QString &to)
{
    ctx.current(from, to);
    const int err = renameNoReplace(from, to);
    if (err == 0) {
        const Tally moved = tally(to, false);
        ctx.filesSeen += moved.files;
        ctx.done(moved.bytes);
        return 0;
    }
    if (err != EXDEV)
        return ctx.fail(renameErrorCode(from, err), from, err);
    const int skippedBefore = ctx.skipped;
    if (const int code = copyFolder(ctx, from, fromSt, to, false))
        return code;
    if (ctx.skipped != skippedBefore)
        return 0; // what the user kept back stays where it was
    QString failed;
    if (const int removeErr = removeTree(from, failed))
        return ctx.fail(DE_ACCESSDENIEDSRC, failed, removeErr);
    return 0;
}

int mergeFolder(Context &ctx, const QString &from, const QString &to)
{
    QStringList names;
    if (const int err = listFolder(from, names))
        return ctx.fail(DE_ACCESSDENIEDSRC, readText(from, err));
    for (const QString &name : std::as_const(names))
        if (const int code = moveEntry(ctx, childPath(from, name), childPath(to, name), false))
            return code;
    // Files the user chose to keep leave the folder behind, not an error.
    if (::rmdir(native(from).constData()) != 0 && errno != ENOTEMPTY && errno != EEXIST)
        return ctx.fail(DE_ACCESSDENIEDSRC, from, errno);
    return 0;
}

int moveEntry(Context &ctx, const QString &from, const QString &to, bool top)
{
    const auto st = statOf(from, false);
    if (!st)
        return ctx.fail(DE_INVALIDFILES, notFoundText(from));
    if (ctx.cancelled())
        return ctx.declined(DE_OPCANCELLED);
    QString target = to;
    Verdict verdict = Verdict::Create;
    if (const int code = decide(ctx, *st, from, target, verdict, top))
        return code;
    switch (verdict) {
    case Verdict::Skip:
        return 0;
    case Verdict::Merge:
        return mergeFolder(ctx, from, target);
    case Verdict::Create:
        if (S_ISDIR(st->st_mode))
            return moveFolder(ctx, from, *st, target);
        break;
    case Verdict::Replace:
        break;
    }
    return moveFile(ctx, from, *st, target, verdict == Verdict::Replace);
}

QStringList parseList(const char *list)
{
    QStringList names;
    if (!list)
        return names;
    for (const char *p = list; *p; p += std::strlen(p) + 1)
        names << CodePage::fromNative(QByteArray(p));
    return names;
}

// The names as absolute paths, wildcards in a last element expanded. A name is taken as it
// stands with FOF_LITERALNAMES, and also without it whenever something of exactly that name
// exists: "bookmarks*.html" may well be a file's own name.
int expand(Context &ctx, const QStringList &names, QStringList &sources, bool &wildcards)
{
    for (const QString &name : names) {
        const QString path = absolutePath(name);
        const QFileInfo info(path);
        QString pattern = info.fileName();
        const bool literal
            = ctx.has(FOF_LITERALNAMES) || (!pattern.contains(u'*') && !pattern.contains(u'?'));
        const bool exists = statOf(path, false).has_value();
        if (literal || exists) {
            if (!exists)
                return ctx.fail(DE_INVALIDFILES, notFoundText(path));
            sources << path;
            continue;
        }
        wildcards = true;
        if (pattern == u"*.*")
            pattern = u"*"_s; // as the shell has it: also names without a dot
        QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot;
        if (!ctx.has(FOF_FILESONLY))
            filters |= QDir::Dirs;
        const QStringList matches = QDir(info.path()).entryList({pattern}, filters, QDir::Name);
        if (matches.isEmpty())
            return ctx.fail(DE_INVALIDFILES, notFoundText(path));
        for (const QString &match : matches)
            sources << childPath(info.path(), match);
    }
    return 0;
}

struct Pair {
    QString from;
    QString to;
};

// One source to one destination: into it when it is a folder, otherwise to that very name.
void addSingle(
    std::vector<Pair> &pairs, QStringList &folders, const QString &from, const QString &dest)
{
    const QString path = absolutePath(dest);
    if (isDir(statOf(path, true))) {
        pairs.push_back({from, childPath(path, QFileInfo(from).fileName())});
        return;
    }
    pairs.push_back({from, path});
    const QString parent = QFileInfo(path).path();
    if (!statOf(parent, true) && !folders.contains(parent))
        folders << parent;
}

// Refuses, before anything is written, what would overwrite a source with itself.
int checkPair(Context &ctx, const Pair &pair)
{
    const bool follow = ctx.kind == Kind::Copy;
    const auto from = statOf(pair.from, follow);
    if (!from)
        return ctx.fail(DE_INVALIDFILES, notFoundText(pair.from));
    const bool renames = ctx.has(FOF_RENAMEONCOLLISION);
    if (S_ISDIR(from->st_mode)) {
        const QString src = resolvedPath(pair.from);
        const QString dst = resolvedPath(pair.to);
        if (dst.startsWith(src.endsWith(u'/') ? src : src + u'/'))
            return ctx.failWith(DE_DESTSUBTREE, pair.from, ctx.words.subtree);
        if (dst == src && !renames)
            return ctx.failWith(DE_SAMEFILE, pair.from, ctx.words.sameFile);
        return 0;
    }
    if (renames)
        return 0; // a name that is taken is never written: a free one is chosen
    const auto target = statOf(pair.to, true);
    const auto followedFrom = follow ? from : statOf(pair.from, true);
    if (pair.from == pair.to || (target && followedFrom && sameFile(*target, *followedFrom)))
        return ctx.failWith(DE_SAMEFILE, pair.to, ctx.words.sameFile);
    return 0;
}

int copyOrMove(Context &ctx, const QStringList &names)
{
    const QStringList dests = parseList(ctx.op.pTo);
    if (dests.isEmpty())
        return ctx.fail(DE_INVALIDPARAM, ctx.words.noDest);
    QStringList sources;
    bool wildcards = false;
    if (const int code = expand(ctx, names, sources, wildcards))
        return code;

    std::vector<Pair> pairs;
    QStringList folders;
    if (ctx.has(FOF_MULTIDESTFILES) && !wildcards && dests.size() == sources.size()) {
        for (qsizetype i = 0; i < sources.size(); ++i)
            addSingle(pairs, folders, sources.at(i), dests.at(i));
    } else if (sources.size() == 1 && !wildcards && !dests.first().endsWith(u'/')) {
        addSingle(pairs, folders, sources.first(), dests.first());
    } else {
        const QString folder = absolutePath(dests.first());
        const auto st = statOf(folder, true);
        if (!st)
            folders << folder;
        else if (!S_ISDIR(st->st_mode))
            return ctx.failWith(
                DE_MANYSRC1DEST, folder, u"複数の項目を 1 つのファイルにはできません。"_s);
        for (const QString &source : std::as_const(sources))
            pairs.push_back({source, childPath(folder, QFileInfo(source).fileName())});
    }

    for (const Pair &pair : pairs)
        if (const int code = checkPair(ctx, pair))
            return code;
    for (const QString &folder : std::as_const(folders)) {
        if (!ctx.has(FOF_NOCONFIRMMKDIR) && !ctx.has(FOF_NOCONFIRMATION)
            && !ctx.prompter.askCreateFolder(ctx.op.hwnd, shown(folder)))
            return ctx.declined(DE_CANCELLED);
        if (const int err = makePath(folder))
            return ctx.fail(DE_ERRORONDEST,
                u"フォルダ「%1」を作成できません。\n%2"_s.arg(shown(folder), reason(err)));
    }

    qint64 totalBytes = 0;
    for (const Pair &pair : pairs) {
        const Tally part = tally(pair.from, ctx.kind == Kind::Copy);
        ctx.filesTotal += part.files;
        totalBytes += part.bytes;
    }
    ctx.startProgress(totalBytes);
    for (const Pair &pair : pairs) {
        const int code = ctx.kind == Kind::Copy ? copyEntry(ctx, pair.from, pair.to, true)
                                                : moveEntry(ctx, pair.from, pair.to, true);
        if (code != 0)
            return code;
    }
    return 0;
}

// Never deleted for good instead: the user asked for something they can undo.
int moveToTrash(Context &ctx, const QString &path)
{
    // Qt finds no trash without the data folder and then trashes into "files" of the
    // current folder, reporting success; a new user's folder may well be missing.
    makePath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QFile file(path);
    const QString text = u"「%1」をごみ箱に移動できません。"_s.arg(shown(path));
    if (!file.moveToTrash())
        return ctx.fail(DE_ACCESSDENIEDSRC, text + u'\n' + file.errorString());
    if (QFileInfo(file.fileName()).isRelative()) {
        ::rename(native(file.fileName()).constData(), native(path).constData());
        return ctx.fail(DE_ACCESSDENIEDSRC, text + u"\nごみ箱が見つかりません。"_s);
    }
    return 0;
}

int deleteAll(Context &ctx, const QStringList &names)
{
    QStringList sources;
    bool wildcards = false;
    if (const int code = expand(ctx, names, sources, wildcards))
        return code;
    const bool toTrash = ctx.has(FOF_ALLOWUNDO);
    if (!ctx.has(FOF_NOCONFIRMATION)) {
        QStringList paths;
        for (const QString &source : std::as_const(sources))
            paths << shown(source);
        if (!ctx.prompter.askDelete(ctx.op.hwnd, paths, toTrash))
            return ctx.declined(DE_CANCELLED);
    }
    ctx.startProgress(sources.size());
    for (const QString &source : std::as_const(sources)) {
        if (ctx.cancelled())
            return ctx.declined(DE_OPCANCELLED);
        ctx.current(source, QString());
        if (toTrash) {
            if (const int code = moveToTrash(ctx, source))
                return code;
        } else {
            QString failed;
            if (const int err = removeTree(source, failed))
                return ctx.fail(DE_ACCESSDENIEDSRC, failed, err);
        }
        ctx.done(1);
    }
    return 0;
}

int renameOne(Context &ctx, const QStringList &names)
{
    QStringList sources;
    bool wildcards = false;
    if (const int code = expand(ctx, names, sources, wildcards))
        return code;
    if (sources.size() != 1)
        return ctx.fail(DE_MANYSRC1DEST, u"名前を変更できるのは一度に 1 つの項目だけです。"_s);
    const QStringList dests = parseList(ctx.op.pTo);
    if (dests.isEmpty())
        return ctx.fail(DE_INVALIDPARAM, ctx.words.noDest);
    const QString &from = sources.first();
    const QString &name = dests.first();
    QString to = name.contains(u'/') ? absolutePath(name)
                                     : QDir::cleanPath(childPath(QFileInfo(from).path(), name));
    if (to == from)
        return 0;
    const QString wanted = QFileInfo(to).fileName();
    ctx.startProgress(1);
    ctx.current(from, to);
    int err = renameNoReplace(from, to);
    if (err == EEXIST && ctx.has(FOF_RENAMEONCOLLISION)) {
        const bool folder = isDir(statOf(from, false));
        // Another process may take the free name first; then the next one.
        for (int attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
            to = freeName(to, !folder);
            if (to.isEmpty())
                break;
            err = renameNoReplace(from, to);
        }
    }
    if (err == EEXIST)
        return ctx.failWith(DE_FILEEXISTS, from,
            u"「%1」という名前のファイルまたはフォルダが既にあります。"_s.arg(wanted));
    if (err != 0)
        return ctx.fail(renameErrorCode(from, err), from, err);
    ctx.done(1);
    return 0;
}

std::optional<Kind> kindOf(quint32 func)
{
    switch (func) {
    case FO_MOVE:
        return Kind::Move;
    case FO_COPY:
        return Kind::Copy;
    case FO_DELETE:
        return Kind::Delete;
    case FO_RENAME:
        return Kind::Rename;
    default:
        return std::nullopt;
    }
}

} // namespace

int SHFileOperation(SHFILEOPSTRUCT *op, Prompter *prompter)
{
    Prompter &asker = prompter ? *prompter : defaultPrompter();
    const QString generalTitle = u"ファイル操作 エラー"_s;
    if (!op) {
        asker.error(nullptr, generalTitle, u"ファイル操作の内容が指定されていません。"_s);
        return DE_INVALIDPARAM;
    }
    op->fAnyOperationsAborted = false;
    op->hNameMappings = nullptr;
    const std::optional<Kind> kind = kindOf(op->wFunc);
    if (!kind) {
        asker.error(op->hwnd, generalTitle, u"この操作は実行できません。"_s);
        return DE_INVALIDPARAM;
    }
    Context ctx(*op, asker, *kind);
    const QStringList names = parseList(op->pFrom);
    if (names.isEmpty())
        return ctx.fail(DE_INVALIDFILES, u"ファイルが指定されていません。"_s);
    switch (*kind) {
    case Kind::Copy:
    case Kind::Move:
        return copyOrMove(ctx, names);
    case Kind::Delete:
        return deleteAll(ctx, names);
    case Kind::Rename:
        return renameOne(ctx, names);
    }
    return DE_INVALIDPARAM;
}
