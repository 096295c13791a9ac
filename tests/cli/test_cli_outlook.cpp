// pirumoa-cli outlook: the columns for numbers of every shape on the sample with its prizes,
// the refusal of too few prizes, and bad numbers.
#include <gtest/gtest.h>

#include <QFile>

#include "core/store/drawcsv.h"
#include "testsupport.h"

using namespace pirumoa;
using pirumoa::test::CliRun;

namespace {

TEST(CliOutlook, ColumnsOnTheSampleWithPrizes) {
    test::TempDatabase db;
    const QList<QByteArray> draws =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_history.csv").trimmed().split('\n');
    const QList<QByteArray> prizes =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_payouts.csv").trimmed().split('\n');
    QByteArray both;
    for (qsizetype i = 0; i < draws.size(); ++i)
        both += draws[i].trimmed() + prizes[i].trimmed().mid(prizes[i].indexOf(',')) + '\n';
    const QString csv = db.dir.filePath("sample.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(both) == both.size());
    f.close();
    importDrawCsv(csv, db.connect, false);

    CliRun r = test::runCli({"outlook", "0315", "1111", "5296", "--db", db.connect.file});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0],
              "number\tstraight_yen\tstraight_ratio\tstraight_return\tbox_yen\tbox_"
              "ratio\tbox_return");
    for (const QByteArray& line : lines) EXPECT_EQ(line.count('\t'), 6) << line.constData();
    EXPECT_TRUE(lines[2].startsWith("1111\t") && lines[2].endsWith("\t\t\t"));
    // A date returns less than an ordinary number.
    EXPECT_LT(lines[1].split('\t')[3].toDouble(), lines[3].split('\t')[3].toDouble());

    r = test::runCli({"outlook", "0315", "--format", "json", "--db", db.connect.file});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("\"draws_with_prizes\": 7054"));
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(QStringLiteral("どの番号も同じ")));
}

TEST(CliOutlook, TooFewPrizesAndBadNumbers) {
    test::TempDatabase db(test::draws({"1234", "5678", "0315"}));
    CliRun r = test::runCli({"outlook", "1234", "--db", db.connect.file});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("0 回分しかない")));
    for (const QStringList& bad :
         {QStringList{"outlook"}, QStringList{"outlook", "123"}, QStringList{"outlook", "12a4"},
          QStringList{"outlook", "12345"}, QStringList{"outlook", "1234", "--format", "csv"}}) {
        r = test::runCli(bad + QStringList{"--db", db.connect.file});
        EXPECT_EQ(r.code, 2) << bad.join(' ').toStdString();
    }
}

}  // namespace
