#include "ui/AlertRunner.h"
#include "ui/RunAlertSheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace pairsift {
namespace {

struct Ending {
    int calls = 0;
    AlertResult result = AlertResult::Cancelled;
    bool suppressed = false;
};

QAbstractButton* buttonTitled(QMessageBox& alert, const QString& title)
{
    for (QAbstractButton* button : alert.buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

TEST(AlertRunner, eachButtonEndsItOnceWithItsSymbolAndTheCheckBox)
{
    const struct {
        QString click;
        bool tick;
        AlertResult expected;
    } cases[] = {
        {QStringLiteral("One"), false, AlertResult::FirstButton},
        {QStringLiteral("Two"), true, AlertResult::SecondButton},
        {QStringLiteral("Three"), true, AlertResult::ThirdButton},
    };
    for (const auto& testCase : cases) {
        QWidget window;
        window.show();
        Ending ending;
        QPointer<QMessageBox> alert = AlertRunner::beginSheet(
            {QStringLiteral("Question?"), QStringLiteral("More"), {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}, true},
            &window, [&ending](QMessageBox& ended, AlertResult result) {
                ++ending.calls;
                ending.result = result;
                ending.suppressed = AlertRunner::isSuppressionChecked(ended);
            });
        ASSERT_TRUE(alert);
        EXPECT_TRUE(alert->isVisible());
        EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
        EXPECT_EQ(static_cast<QAbstractButton*>(alert->defaultButton()), buttonTitled(*alert, QStringLiteral("One")));
        EXPECT_EQ(ending.calls, 0);
        alert->checkBox()->setChecked(testCase.tick);
        buttonTitled(*alert, testCase.click)->click();
        EXPECT_EQ(ending.calls, 1) << testCase.click.toStdString();
        EXPECT_EQ(ending.result, testCase.expected) << testCase.click.toStdString();
        EXPECT_EQ(ending.suppressed, testCase.tick);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(alert) << "the alert deletes itself";
        EXPECT_EQ(ending.calls, 1);
    }
}

TEST(AlertRunner, aWindowClosingFirstTakesTheAlertWithoutACall)
{
    auto window = std::make_unique<QWidget>();
    window->show();
    int calls = 0;
    QPointer<QMessageBox> alert = AlertRunner::beginSheet({QStringLiteral("Gone?"), QString(), {QStringLiteral("OK")}},
                                                          window.get(), [&calls](QMessageBox&, AlertResult) { ++calls; });
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(alert);
    EXPECT_EQ(calls, 0);
}

TEST(AlertRunner, escapeAndANullCompletion)
{
    QWidget window;
    window.show();
    AlertResult result = AlertResult::FirstButton;
    QPointer<QMessageBox> alert = AlertRunner::beginSheet({QStringLiteral("Keep?"), QString(), {QStringLiteral("Keep"), QStringLiteral("Drop")}},
                                                          &window, [&result](QMessageBox&, AlertResult ended) { result = ended; });
    QTest::keyClick(alert.data(), Qt::Key_Escape);
    EXPECT_EQ(result, AlertResult::SecondButton) << "Esc answers with the last button";
    EXPECT_FALSE(AlertRunner::isSuppressionChecked(*alert)) << "no check box asked for";

    QPointer<QMessageBox> silent = AlertRunner::beginSheet({QStringLiteral("Fine"), QString(), {QStringLiteral("OK")}}, &window, nullptr);
    silent->buttons().first()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(silent);
    EXPECT_FALSE(alert);
}

TEST(AlertRunner, offersOkWithoutTitlesAndAtMostThreeButtons)
{
    const struct {
        QStringList titles;
        QStringList expectedButtons;
    } cases[] = {
        {{}, {QStringLiteral("OK")}},
        {{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")},
         {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}},
    };
    for (const auto& testCase : cases) {
        QWidget window;
        window.show();
        std::optional<AlertResult> ended;
        QPointer<QMessageBox> alert = AlertRunner::beginSheet({QStringLiteral("Done"), QString(), testCase.titles}, &window,
                                                              [&ended](QMessageBox&, AlertResult result) { ended = result; });
        QStringList shown;
        for (QAbstractButton* button : alert->buttons())
            shown.append(button->text());
        shown.sort();
        EXPECT_EQ(shown, testCase.expectedButtons);
        EXPECT_EQ(static_cast<QAbstractButton*>(alert->defaultButton()), buttonTitled(*alert, testCase.expectedButtons.first()));
        QTest::keyClick(alert.data(), Qt::Key_Escape);
        EXPECT_EQ(ended, static_cast<AlertResult>(testCase.expectedButtons.size() - 1)) << "Esc answers with the last button";
    }
}

TEST(RunAlertSheetWithFormat, givenTitlesInOrderAndTheFormattedText)
{
    const QString none;
    const struct {
        QStringList titles;
        const char* format;
        QStringList expectedButtons;
        QString expectedText;
    } cases[] = {
        {{QStringLiteral("Keep"), none, QStringLiteral("Drop")}, "%lu file%s in “%@”", {QStringLiteral("Keep"), QStringLiteral("Drop")},
         QStringLiteral("2 files in “/tmp/a”")},
        {{none, none, none}, nullptr, {QStringLiteral("OK")}, QString()},
    };
    for (const auto& testCase : cases) {
        QWidget window;
        window.show();
        std::optional<AlertResult> ended;
        runAlertSheetWithFormat(QStringLiteral("Message"), testCase.titles[0], testCase.titles[1], testCase.titles[2], &window,
                                [&ended](QMessageBox&, AlertResult result) { ended = result; }, testCase.format, 2u, "s",
                                QStringLiteral("/tmp/a"));
        QPointer<QMessageBox> alert = window.findChild<QMessageBox*>();
        ASSERT_TRUE(alert && alert->isVisible());
        EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
        EXPECT_EQ(alert->text(), QStringLiteral("Message"));
        EXPECT_EQ(alert->informativeText(), testCase.expectedText);
        EXPECT_EQ(alert->buttons().size(), testCase.expectedButtons.size());
        EXPECT_EQ(static_cast<QAbstractButton*>(alert->defaultButton()), buttonTitled(*alert, testCase.expectedButtons.first()));
        buttonTitled(*alert, testCase.expectedButtons.last())->click();
        EXPECT_EQ(ended, testCase.expectedButtons.size() == 1 ? AlertResult::FirstButton : AlertResult::SecondButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(alert);
    }
}

} // namespace
} // namespace pairsift
