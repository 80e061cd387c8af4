#include "support/carbon/PanelAliases.h"
#include "support/carbon/PathControl.h"

#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

// Ends every run at once with a fixed choice.
class ChoosingPanel : public OpenPanel {
public:
    void run(const Options&, Completion done) override { finish(done, choice); }
    QList<QUrl> choice;
};

class ShownURL : public PathControl {
public:
    QUrl URL() const override { return shown; }
    void setURL(const QUrl& url) override { shown = url; }
    QUrl shown;
};

TEST(PanelAliases, panelChoiceAndStartFolder)
{
    test::TemporaryTree tree;
    const QString a = tree.writeFile("a", "x");
    const QString b = tree.writeFile("b", "y");
    ChoosingPanel panel;
    EXPECT_FALSE(aliases(panel)) << "no list before a run ends";
    panel.choice = {QUrl::fromLocalFile(b), QUrl::fromLocalFile(tree.path("missing")), QUrl::fromLocalFile(a)};
    std::optional<QString> first;
    panel.run({}, [&](const std::optional<QString>& path) { first = path; });
    EXPECT_EQ(first, b);
    std::optional<QList<CBAlias>> chosen = aliases(panel);
    ASSERT_TRUE(chosen && chosen->size() == 2);
    EXPECT_EQ(chosen->at(0).path(), b) << "in the panel's order";
    EXPECT_EQ(chosen->at(1).path(), a);
    panel.choice.clear();
    panel.run({}, [&](const std::optional<QString>& path) { first = path; });
    EXPECT_FALSE(first) << "cancelled";
    chosen = aliases(panel);
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(chosen->isEmpty());

    OpenPanel::Options options;
    EXPECT_FALSE(directoryAlias(options));
    options.directory = tree.root();
    EXPECT_EQ(directoryAlias(options)->path(), tree.root());
    const QString gone = tree.makeFolder("gone");
    const CBAlias toGone = *CBAlias::aliasWithPath(gone);
    setDirectoryAlias(options, toGone);
    EXPECT_EQ(options.directory, gone);
    options.directory = tree.root();
    QDir(gone).removeRecursively();
    setDirectoryAlias(options, toGone);
    EXPECT_EQ(options.directory, tree.root()) << "an alias that does not resolve changes nothing";
}

TEST(PanelAliases, pathControlAndFileSpecifications)
{
    test::TemporaryTree tree;
    const QString file = tree.writeFile("file", "x");
    struct Case {
        QUrl url;
        QString path;
        bool hasAlias;
    };
    const Case cases[] = {
        {QUrl::fromLocalFile(file), file, true},
        {QUrl::fromLocalFile(tree.path("missing")), tree.path("missing"), false},
        {QUrl("https://example.org/file"), {}, false},
        {QUrl(), {}, false},
    };
    ShownURL control;
    FileSpecification specification;
    for (const Case& c : cases) {
        control.shown = c.url;
        EXPECT_EQ(control.path(), c.path) << c.url.toString().toStdString();
        EXPECT_EQ(control.path().isNull(), c.path.isNull());
        EXPECT_EQ(control.alias().has_value(), c.hasAlias) << c.url.toString().toStdString();
        EXPECT_FALSE(getFSSpec(c.url, &specification));
        EXPECT_FALSE(getFSSpec(c.url.toLocalFile(), &specification));
    }

    const CBAlias alias = *CBAlias::aliasWithPath(file);
    control.setAlias(alias);
    EXPECT_EQ(control.shown, QUrl::fromLocalFile(file));
    control.shown = QUrl("https://example.org/");
    QFile::remove(file);
    control.setAlias(alias);
    EXPECT_EQ(control.shown, QUrl("https://example.org/")) << "an alias that does not resolve changes nothing";
}

} // namespace
} // namespace pairsift
