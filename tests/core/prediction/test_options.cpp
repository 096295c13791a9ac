#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/prediction/methods.h"
#include "core/prediction/options.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

ReflectOptions onlyOn(std::initializer_list<int> indices) {
    ReflectOptions o{};
    for (int i : indices) o[i] = true;
    return o;
}

}  // namespace

TEST(OptionsFile, WritesTenKeyLinesWithCrLfAndReadsThemBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(initFileName());
    ASSERT_EQ(writeInitFile(ReflectOptions{}, path), QString());
    const QByteArray off = readBytes(path);
    EXPECT_TRUE(off.startsWith(QStringLiteral("頻度分析Opt=False\r\n").toUtf8()));
    EXPECT_EQ(off.count("\r\n"), 10);
    EXPECT_EQ(off.count('\n'), 10);
    EXPECT_FALSE(off.startsWith("\xEF\xBB\xBF"));

    const ReflectOptions some = onlyOn({0, 3, 8, 9});
    ASSERT_EQ(writeInitFile(some, path), QString());
    EXPECT_EQ(QString::fromUtf8(readBytes(path)),
              QStringLiteral("頻度分析Opt=True\r\n間隔分析Opt=False\r\n出現回数分析Opt=False\r\n"
                             "バラツキ分析Opt=True\r\n引っ張り分析Opt=False\r\n"
                             "連番飛び石分析Opt=False\r\n数字合計分析Opt=False\r\n"
                             "組合せパターン分析Opt=False\r\n5分割傾向分析Opt=True\r\n"
                             "分割データ分析Opt=True\r\n"));
    ReflectOptions back{};
    ASSERT_TRUE(readInitFile(back, path));
    EXPECT_EQ(back, some);
}

// Hand-edited files: every line is judged on its own, a bad one never spoils the others.
TEST(OptionsFile, ReadsEditedFilesLineByLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath(initFileName());
    writeBytes(path, QStringLiteral("分割データ分析Opt=true\r\n"       // 9, other order
                                    "頻度分析Opt=True=extra=text\r\n"  // 0, second "=" ignored
                                    "間隔分析Opt = True\r\n"           // 1, blanks: no key
                                    "5分割傾向分析Opt=TRUE\r\n"        // 8
                                    "4分割傾向分析Opt=True\r\n"        // the caption's word
                                    "\r\n"
                                    "出現回数分析Opt\r\n"          // 2, no "="
                                    "バラツキ分析Opt=yes\r\n"      // 3, no Boolean
                                    "数字合計分析Opt=True\r\n"     // 6, then …
                                    "数字合計分析Opt=False\r\n"    // … the later line wins
                                    "引っ張り分析Opt=-2\r\n"       // 4, a number
                                    "組合せパターン分析Opt=0\r\n"  // 7
                                    "連番飛び石分析opt=True\r\n"   // 5, wrong case
                                    "ＵＮＫＮＯＷＮ=True")         // no line end at the end
                             .toUtf8() +
                         // 1 and 2: values of 100 characters are read, longer ones are not
                         "\r\n" + QStringLiteral("間隔分析Opt=").toUtf8() + QByteArray(99, '0') +
                         "1" + "\r\n" + QStringLiteral("出現回数分析Opt=").toUtf8() +
                         QByteArray(5'000'000, '1'));
    ReflectOptions o{};
    o[3] = true;  // a value the file cannot replace stays
    ASSERT_TRUE(readInitFile(o, path));
    EXPECT_EQ(o, onlyOn({0, 1, 3, 4, 8, 9}));
}

TEST(OptionsFile, ReadsByteOrderMarkLfOnlyAndCp932Files) {
    QTemporaryDir dir;
    const QString path = dir.filePath(initFileName());
    const QString text = QStringLiteral("バラツキ分析Opt=True\r\n5分割傾向分析Opt=True\r\n");

    writeBytes(path,
               "\xEF\xBB\xBF" +
                   QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).toUtf8());
    ReflectOptions o{};
    ASSERT_TRUE(readInitFile(o, path));
    EXPECT_EQ(o, onlyOn({3, 8}));

    QStringEncoder cp932("CP932");
    ASSERT_TRUE(cp932.isValid());
    const QByteArray bytes = cp932(text);
    ASSERT_FALSE(cp932.hasError());
    ASSERT_NE(bytes, text.toUtf8());
    writeBytes(path, bytes);
    o = ReflectOptions{};
    ASSERT_TRUE(readInitFile(o, path));
    EXPECT_EQ(o, onlyOn({3, 8}));
}

// The file belongs to the current directory; without one every option is off.
TEST(OptionsFile, CurrentDirectoryAndMissingFile) {
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    ReflectOptions options{};
    const bool read = readInitFile(options);
    options[2] = true;
    const QString error = writeInitFile(options);
    QDir::setCurrent(before);
    EXPECT_FALSE(read);
    EXPECT_EQ(error, QString());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("ナンバーズ4ピルモア.ini"))));
}

// A read-only folder. Root writes anywhere, so the write runs in a child process that has
// given up root for an unprivileged user.
TEST(OptionsFile, ReadOnlyFolderAtExit) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + QLatin1Char('/') + initFileName();
    const QByteArray old = QStringLiteral("頻度分析Opt=True\r\n").toUtf8();
    writeBytes(path, old);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);  // only the folder refuses

    const QByteArray message = test::inChild([&] {
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (!nobody || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                return QByteArray("could not become nobody");
        }
        return writeInitFile(ReflectOptions{}, path).toUtf8();
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);

    const QString error = QString::fromUtf8(message);
    EXPECT_TRUE(error.contains(initFileName())) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("権限"))) << error.toStdString();
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no temp left
}
