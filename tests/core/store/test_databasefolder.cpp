// Which database a start uses, and the user's copy of the installed sample: a database beside
// the program wins, the user's draws are never replaced, and a copy that cannot be made leaves
// nothing behind and names the folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/store/databasefolder.h"
#include "core/store/drawstore.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

const QByteArray kSample = "the sample's draws";
const QByteArray kUsers = "the user's draws";
const QByteArray kBeside = "the draws beside the program";

void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// An installed tree in a temporary folder: bin/, share/pirumoa/ and a user's data folder
// that does not exist yet.
struct Tree {
    QTemporaryDir root;
    DatabasePlaces places{root.filePath("usr/bin"), root.filePath("home/.local/share/pirumoa"),
                          root.filePath("usr/share/pirumoa/Numbers4Pirumoa.mdb")};
    QString beside() const { return places.programFolder + "/Numbers4Pirumoa.mdb"; }
    QString users() const { return places.userFolder + "/Numbers4Pirumoa.mdb"; }
};

}  // namespace

TEST(DatabaseFolder, BesideTheProgramThenTheUsersThenACopyOfTheSample) {
    struct Case {
        const char* what;
        bool beside, users, sample;
        bool choosesUsers;
        QByteArray usersAfter;  // empty: the user's folder stays as it was without a database
    };
    const Case cases[] = {
        {"portable: beside the program wins over everything", true, true, true, false, kUsers},
        {"portable without a sample", true, false, false, false, {}},
        {"installed, later start: the user's draws, never the sample", false, true, true, true,
         kUsers},
        {"the user's draws after the package is gone", false, true, false, true, kUsers},
        {"installed, first start: a copy of the sample", false, false, true, true, kSample},
        {"nothing anywhere: the program's folder, reported or made there",
         false,
         false,
         false,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree t;
        QDir().mkpath(t.places.programFolder);
        if (c.beside) put(t.beside(), kBeside);
        if (c.users) put(t.users(), kUsers);
        if (c.sample) put(t.places.sample, kSample);

        const QString chosen = chooseDatabaseFolder(t.places);
        EXPECT_EQ(chosen, c.choosesUsers ? t.places.userFolder : t.places.programFolder);
        if (c.beside) {
            EXPECT_EQ(test::readFile(t.beside()), kBeside);
        }
        if (c.sample) {
            EXPECT_EQ(test::readFile(t.places.sample), kSample);
        }
        if (c.usersAfter.isEmpty()) {
            EXPECT_FALSE(QFile::exists(t.users()));
        } else {
            EXPECT_EQ(test::readFile(t.users()), c.usersAfter);
            EXPECT_EQ(entries(t.places.userFolder), QStringList{"Numbers4Pirumoa.mdb"});
        }
    }
}

// The copy of the real sample opens as the sample does: every byte made it.
TEST(DatabaseFolder, TheUsersCopyReadsAsTheSample) {
    test::TempDatabase sample(test::draws({"1234", "5678", "90_1"}));
    Tree t;
    t.places.sample = sample.connect.file;
    const QString folder = chooseDatabaseFolder(t.places);
    ASSERT_EQ(folder, t.places.userFolder);
    EXPECT_EQ(loadDrawHistory(databaseFileIn(folder)).rows, loadDrawHistory(sample.connect).rows);
}

// A file that appears at the database's name while the copy is being written (a second start
// at the same moment) is kept, and the copy goes.
TEST(DatabaseFolder, CopyNeverReplacesAFileThatIsThere) {
    QTemporaryDir dir;
    put(dir.filePath("sample.mdb"), kSample);
    put(dir.filePath("user/Numbers4Pirumoa.mdb"), kUsers);
    EXPECT_EQ(copyToNewFile(dir.filePath("sample.mdb"), dir.filePath("user/Numbers4Pirumoa.mdb")),
              QString());
    EXPECT_EQ(test::readFile(dir.filePath("user/Numbers4Pirumoa.mdb")), kUsers);
    EXPECT_EQ(entries(dir.filePath("user")), QStringList{"Numbers4Pirumoa.mdb"});
}

TEST(DatabaseFolder, ACopyThatCannotBeMadeNamesTheFolderAndLeavesNothing) {
    // A file where a folder of the path must go: the user cannot have a data folder there.
    {
        Tree t;
        put(t.places.sample, kSample);
        put(t.root.filePath("home/.local"), "a file, not a folder");
        t.places.userFolder = t.root.filePath("home/.local/share/pirumoa");
        try {
            chooseDatabaseFolder(t.places);
            ADD_FAILURE() << "no failure";
        } catch (const StoreError& e) {
            const QString m = e.message();
            EXPECT_TRUE(
                m.contains(QStringLiteral("データフォルダー「%1」").arg(t.places.userFolder)))
                << m.toStdString();
            EXPECT_TRUE(m.contains(t.root.filePath("home/.local"))) << m.toStdString();
        }
        EXPECT_EQ(test::readFile(t.places.sample), kSample);
    }
    // The disk fills while the copy is written: no half database takes the name.
    {
        Tree t;
        put(t.places.sample, QByteArray(256 * 1024, 'x'));
        const QByteArray message = test::inChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit small{64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &small);
            try {
                chooseDatabaseFolder(t.places);
            } catch (const StoreError& e) {
                return e.message().toUtf8();
            }
            return QByteArray("no failure");
        });
        const QString m = QString::fromUtf8(message);
        EXPECT_TRUE(m.contains(QStringLiteral("データフォルダー「%1」").arg(t.places.userFolder)))
            << m.toStdString();
        EXPECT_TRUE(m.contains(QStringLiteral("空き容量"))) << m.toStdString();
        EXPECT_EQ(entries(t.places.userFolder), QStringList());
    }
}
