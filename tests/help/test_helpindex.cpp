// The help's sources against the program: every window has a topic that its caption finds in
// the index, with a place for its picture; every link, reference and anchor leads somewhere.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "gui/shell/windowdesign.h"

using namespace pirumoa;

namespace {

const QString kHelp = QStringLiteral(PIRUMOA_TEST_DIR "/../help/");

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QString readText(const QString& path) { return QString::fromUtf8(readBytes(path)); }

struct Project {
    std::map<QString, QString> keywords;   // name → ref
    std::map<QString, QString> tocTitles;  // ref → title
    std::vector<QString> refs;             // every ref, keywords and contents
};

Project readProject() {
    Project p;
    QXmlStreamReader xml(readBytes(kHelp + QStringLiteral("ナンバーズ4ピルモアL.qhp")));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        const QString ref = a.value(QStringLiteral("ref")).toString();
        if (xml.name() == QStringLiteral("keyword")) {
            const QString name = a.value(QStringLiteral("name")).toString();
            EXPECT_FALSE(p.keywords.count(name)) << "keyword twice: " << name.toStdString();
            p.keywords[name] = ref;
            p.refs.push_back(ref);
            // The help command asks for a topic by identifier too: each keyword is its own.
            EXPECT_EQ(a.value(QStringLiteral("id")).toString(), name);
        } else if (xml.name() == QStringLiteral("section")) {
            p.tocTitles[ref] = a.value(QStringLiteral("title")).toString();
            p.refs.push_back(ref);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return p;
}

// "page.html#anchor" leads to an existing page holding that anchor.
::testing::AssertionResult leadsSomewhere(const QString& ref) {
    const QString file = ref.section(QLatin1Char('#'), 0, 0);
    const QString anchor = ref.section(QLatin1Char('#'), 1);
    const QString page = readText(kHelp + file);
    if (page.isEmpty()) return ::testing::AssertionFailure() << "no page " << file.toStdString();
    if (!anchor.isEmpty() && !page.contains(QStringLiteral("id=\"%1\"").arg(anchor)))
        return ::testing::AssertionFailure() << "no anchor " << ref.toStdString();
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(HelpIndex, EveryWindowHasItsTopicAndAPlaceForItsPicture) {
    const Project p = readProject();
    ASSERT_FALSE(p.keywords.empty());
    for (const WindowDesign& w : windowDesigns()) {
        SCOPED_TRACE(w.objectName.toStdString());
        // F1 asks the index for the caption; the window's own and its menu's name find it too.
        const auto it = p.keywords.find(w.info->caption);
        ASSERT_NE(it, p.keywords.end());
        EXPECT_TRUE(leadsSomewhere(it->second));
        EXPECT_EQ(p.keywords.at(w.objectName), it->second);
        QString menu = w.menuCaption;
        menu.remove(QRegularExpression(QStringLiteral("\\(&.\\)(\\.\\.\\.)?$")));
        EXPECT_EQ(p.keywords.at(menu), it->second);
        // The picture the build takes of the window.
        const QString page = readText(kHelp + it->second.section(QLatin1Char('#'), 0, 0));
        EXPECT_TRUE(page.contains(
            QStringLiteral("\n<p class=\"shot\"><img src=\"images/%1.png\"").arg(w.menuAction)));
    }
    // The help command's topic, the main window's and the version window's.
    for (const char* k : {"ピルモア４Liteについて", "ナンバーズ4ピルモアLite", "バージョン情報"}) {
        const auto it = p.keywords.find(QString::fromUtf8(k));
        ASSERT_NE(it, p.keywords.end()) << k;
        EXPECT_TRUE(leadsSomewhere(it->second)) << k;
    }
}

TEST(HelpIndex, EveryReferenceLinkAndPictureLeadsSomewhere) {
    const Project p = readProject();
    for (const QString& ref : p.refs) EXPECT_TRUE(leadsSomewhere(ref));

    const QStringList pages = QDir(kHelp).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GT(pages.size(), 20);
    const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    const QRegularExpression picture(QStringLiteral("<img src=\"images/([^\"]+)\\.png\""));
    const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    std::set<QString> pictureNames = {QStringLiteral("MainFrm")};
    for (const WindowDesign& w : windowDesigns()) pictureNames.insert(w.menuAction);
    pictureNames.insert(QStringLiteral("mnuAbout"));
    for (const QString& file : pages) {
        SCOPED_TRACE(file.toStdString());
        const QString page = readText(kHelp + file);
        for (const auto& m : link.globalMatch(page)) {
            const QString target = m.captured(1);
            if (target.endsWith(QLatin1String(".css"))) continue;
            EXPECT_TRUE(
                leadsSomewhere(target.startsWith(QLatin1Char('#')) ? file + target : target));
        }
        // Only pictures that the build takes.
        for (const auto& m : picture.globalMatch(page))
            EXPECT_TRUE(pictureNames.count(m.captured(1))) << m.captured(1).toStdString();
        // Each page is in the contents, under the title it shows.
        ASSERT_TRUE(p.tocTitles.count(file));
        EXPECT_EQ(title.match(page).captured(1), p.tocTitles.at(file));
    }
}
