#include "support/carbon/PanelAliases.h"
#include "support/carbon/PathControl.h"

#include "testkit/TemporaryTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

struct Panel : OpenPanel {
    void run(const Options&, Completion done) override { finish(done, choice); }
    QList<QUrl> choice;
};

struct Control : PathControl {
    QUrl URL() const override { return shown; }
    void setURL(const QUrl& url) override { shown = url; }
    QUrl shown;
};

TEST(PanelAliases, panelsAndPathControlsHandOutAndTakeAliases)
{
    test::TemporaryTree tree;
    const QString a = tree.writeFile("a", "x");
    const QString gone = tree.writeFile("gone", "y");
    const CBAlias toGone = *CBAlias::aliasWithPath(gone);
    const QUrl web("https://example.org/a");
    Panel panel;
    EXPECT_FALSE(aliases(panel)) << "no list before a run ends";
    std::optional<QString> first;
    const auto done = [&first](const std::optional<QString>& path) { first = path; };
    panel.choice = {QUrl::fromLocalFile(gone), web, QUrl::fromLocalFile(a)};
    panel.run({}, done);
    EXPECT_EQ(first, gone);
    EXPECT_EQ(CBAlias::arrayOfDataFromArrayOfAliases(*aliases(panel)),
              (QList<QByteArray>{toGone.data(), CBAlias::aliasWithPath(a)->data()})) << "in order, no alias of a web page";
    panel.choice.clear();
    panel.run({}, done);
    EXPECT_FALSE(first);
    EXPECT_TRUE(aliases(panel)->isEmpty()) << "cancelled";
    QFile::remove(gone);

    OpenPanel::Options options;
    Control control;
    EXPECT_FALSE(directoryAlias(options));
    setDirectoryAlias(options, *CBAlias::aliasWithPath(tree.root()));
    EXPECT_EQ(directoryAlias(options)->path(), tree.root());
    setDirectoryAlias(options, toGone);
    control.setAlias(toGone);
    EXPECT_EQ(options.directory, tree.root()) << "an alias that does not resolve changes nothing";
    EXPECT_TRUE(control.shown.isEmpty());

    struct Case {
        QUrl url;
        QString path;
        bool hasAlias;
    };
    const Case cases[] = {
        {QUrl::fromLocalFile(a), a, true}, {QUrl::fromLocalFile(gone), gone, false}, {web, {}, false}, {{}, {}, false}};
    FSSpecRecord record;
    for (const Case& c : cases) {
        control.shown = c.url;
        EXPECT_EQ(control.path(), c.path) << c.url.toString().toStdString();
        EXPECT_EQ(control.path().isNull(), c.path.isNull());
        EXPECT_EQ(control.alias().has_value(), c.hasAlias) << c.url.toString().toStdString();
        EXPECT_FALSE(getFSSpec(c.url, &record) || getFSSpec(c.url.toLocalFile(), &record));
    }
    control.setAlias(*CBAlias::aliasWithPath(a));
    EXPECT_EQ(control.shown, QUrl::fromLocalFile(a));
}

} // namespace
} // namespace pairsift
