// Files the program writes (the options file, CSV exports) under the faults a user meets:
// the old file stays byte for byte and the message says why.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/prediction/options.h"
#include "core/store/fileerror.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

const QByteArray kOld = "頻度分析Opt=True\r\n間隔分析Opt=False\r\n";

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// What is left in a folder besides the given file: a temporary file left behind shows here.
QStringList others(const QString& folder, const QString& keep) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(keep);
    names.removeAll(QStringLiteral(".ballast"));
    return names;
}

}  // namespace

// The file grows past what the process may write, as on a disk that fills up mid-write: a
// part of the new file has already been written when the refusal comes.
TEST(FileWrite, FileSizeLimitKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(initFileName());
    put(path, kOld);
    const QByteArray message = test::inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit small{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &small);
        return writeInitFile(ReflectOptions{}, path).toUtf8();
    });
    const QString m = QString::fromUtf8(message);
    EXPECT_TRUE(m.contains(initFileName())) << m.toStdString();
    EXPECT_TRUE(m.contains(QStringLiteral("空き容量"))) << m.toStdString();
    EXPECT_EQ(test::readFile(path), kOld);
    EXPECT_EQ(others(dir.path(), initFileName()), QStringList());
}

TEST(FileWrite, FullDiskKeepsTheOldFile) {
    test::FullDisk disk;
    if (!disk.ok()) GTEST_SKIP() << "mounting a small file system needs root";
    const QString options = disk.path() + QLatin1Char('/') + initFileName();
    const QString csv = disk.path() + QStringLiteral("/draws.csv");
    put(options, kOld);
    put(csv, "draw,date,d1,d2,d3,d4\n1,,1,2,3,4\n");
    disk.fill();

    const QString m = writeInitFile(ReflectOptions{true, true, true}, options);
    EXPECT_TRUE(m.contains(QStringLiteral("空き容量"))) << m.toStdString();
    EXPECT_EQ(test::readFile(options), kOld);

    const QByteArray big(1 << 20, 'x');
    EXPECT_FALSE(writeFileAtomically(csv, big).isEmpty());
    EXPECT_EQ(test::readFile(csv), QByteArray("draw,date,d1,d2,d3,d4\n1,,1,2,3,4\n"));
    EXPECT_EQ(others(disk.path(), initFileName()), QStringList{QStringLiteral("draws.csv")});
}

// Places where no file can go say what is in the way, not "check the free space".
TEST(FileWrite, WhatStandsInTheWayIsNamed) {
    QTemporaryDir dir;
    const QString folderNamedLikeFile = dir.filePath(initFileName());
    ASSERT_TRUE(QDir().mkdir(folderNamedLikeFile));
    struct Case {
        QString path;
        const char* reason;
    } const cases[] = {
        {folderNamedLikeFile, "同じ名前のフォルダー"},
        {dir.filePath(QStringLiteral("missing/x.ini")), "フォルダーがありません"},
        {QString(), "ファイル名が指定されていません"},
    };
    for (const Case& c : cases) {
        const QString m = writeFileAtomically(c.path, kOld);
        EXPECT_TRUE(m.contains(QString::fromUtf8(c.reason))) << m.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folderNamedLikeFile).isDir());
    EXPECT_EQ(QDir(folderNamedLikeFile).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());

    // And a good write replaces the old file completely.
    const QString path = dir.filePath(QStringLiteral("good.csv"));
    put(path, QByteArray(1000, 'o'));
    EXPECT_EQ(writeFileAtomically(path, "new"), QString());
    EXPECT_EQ(test::readFile(path), QByteArray("new"));
}
