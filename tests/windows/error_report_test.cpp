#include "windows/error_report.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "tests/windows/modal_answers.h"

namespace {

// What one general error report showed.
struct ReportSeen {
    QString text;
    QString title;
    QString object_name;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Queues an answer that reads the next report and closes it with OK.
void read_next_report(ModalAnswers& answers, std::vector<ReportSeen>& reports)
{
    answers.then([&reports](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            ReportSeen wrong;
            wrong.text = QStringLiteral("not a message box: ") + modal->metaObject()->className();
            reports.push_back(wrong);
            return;
        }
        reports.push_back(
            {box->text(), box->windowTitle(), box->objectName(), box->icon(), box->standardButtons()});
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(ErrorReport, AnErrorEscapingAHandlerIsShownOnceWithItsTextAndAnOkButton)
{
    ModalAnswers answers;
    std::vector<ReportSeen> reports;
    read_next_report(answers, reports);

    EXPECT_FALSE(report_errors([] { throw std::runtime_error("GetHistogram:  Bitmap must be 24-bit."); }));

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "GetHistogram:  Bitmap must be 24-bit.");
    EXPECT_EQ(reports[0].title, "Error");
    EXPECT_EQ(reports[0].object_name, "error_report");
    EXPECT_EQ(reports[0].icon, QMessageBox::Critical);
    EXPECT_EQ(reports[0].buttons, QMessageBox::Ok);
    EXPECT_TRUE(answers.unexpected().empty());
}

TEST(ErrorReport, AHandlerThatFinishesShowsNothing)
{
    ModalAnswers answers;
    bool ran = false;

    EXPECT_TRUE(report_errors([&] { ran = true; }));

    EXPECT_TRUE(ran);
    EXPECT_TRUE(answers.unexpected().empty());
}

// Memory that ran out reads as such, not as the library's "std::bad_alloc"; the
// engine's own words about it stay.
TEST(ErrorReport, AnErrorOfAnyTypeIsReportedInWordsAPersonReads)
{
    const std::string no_memory =
        "Not enough memory to finish this. Closing other programs may free enough memory.";
    const struct {
        std::function<void()> fail;
        std::string text;
    } cases[] = {
        {[] { throw 42; }, "Unknown error"},
        {[] { throw std::bad_alloc(); }, no_memory},
        {[] { throw std::bad_array_new_length(); }, no_memory},
        {[] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }, no_memory},
        {[] { Bitmap32().set_size(2000000000, 2000000000); },
         "not enough memory for a photo of 2000000000 x 2000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ModalAnswers answers;
        std::vector<ReportSeen> reports;
        read_next_report(answers, reports);

        EXPECT_FALSE(report_errors(c.fail));

        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].text.toStdString(), c.text);
    }
}

TEST(ErrorReport, ASaveThatCannotCreateItsFileIsReportedWithThePath)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = folder.filePath("no such folder/<photo>.jpg").toStdString();
    Bitmap32 photo;
    photo.set_size(4, 3);
    ModalAnswers answers;
    std::vector<ReportSeen> reports;
    read_next_report(answers, reports);

    EXPECT_FALSE(report_errors([&] { write_photo(photo, path); }));

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text.toStdString(), "Cannot create file " + path);
}

// ErrorReportingApplication can only be tried as the process's one application
// object, so the test runs this executable again as a child that does only that.
constexpr char kChildVariable[] = "TINTELO_ERROR_REPORT_CHILD";

class ThrowingWidget : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override
    {
        ++presses_;
        throw std::runtime_error("press " + std::to_string(presses_) + " failed");
    }

private:
    int presses_ = 0;
};

// Errors thrown by a widget's event handler and by a timer's slot, both reached
// through the application's event dispatch. Prints the reports' texts, one a line.
int run_application_child()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "error_report_child";
    char* argv[] = {name, nullptr};
    ErrorReportingApplication application(argc, argv);
    ThrowingWidget widget;
    widget.resize(40, 40);
    widget.show();
    ModalAnswers answers;
    std::vector<ReportSeen> reports;
    for (int i = 0; i < 3; ++i) read_next_report(answers, reports);

    // The second press shows that the program went on after the first report.
    for (int i = 0; i < 2; ++i) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
    }
    QTimer::singleShot(0, [] { throw std::runtime_error("timer failed"); });
    QTimer all_reported;
    QObject::connect(&all_reported, &QTimer::timeout, [&] {
        if (reports.size() == 3) QCoreApplication::quit();
    });
    all_reported.start(5);
    QTimer::singleShot(20000, &application, &QCoreApplication::quit);
    application.exec();

    for (const ReportSeen& report : reports) std::printf("%s\n", report.text.toUtf8().constData());
    std::fflush(stdout);
    return 0;
}

[[maybe_unused]] const bool child_ran = [] {
    if (qEnvironmentVariableIsSet(kChildVariable)) std::exit(run_application_child());
    return false;
}();

TEST(ErrorReportingApplication, ErrorsReachingTheEventDispatchAreReportedAndTheProgramGoesOn)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildVariable, "1");
    // Unwinding through Qt's widget library skips its clean-up, which a leak check
    // would count; that cost is why the windows catch errors in their own handlers.
    const QString sanitizer_options = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", sanitizer_options.isEmpty() ? "detect_leaks=0"
                                                                   : sanitizer_options + ":detect_leaks=0");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    ASSERT_TRUE(child.waitForFinished(60000));

    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    EXPECT_EQ(child.readAllStandardOutput().toStdString(), "press 1 failed\npress 2 failed\ntimer failed\n");
}

}  // namespace
