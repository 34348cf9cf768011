#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/photo_dialogs.h"
#include "windows/main_window.h"
#include "windows/main_window_messages.h"
#include "windows/window_support.h"

// What a widget shows, children included, as 0xFFRRGGBB words.
// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

inline QImage shown(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline std::uint32_t opaque(std::uint32_t word)
{
    return word | 0xFF000000u;
}

// A skin picture as compiled into the program, as 0xFFRRGGBB words.
inline QImage skin_picture(const char* file)
{
    return QImage(QString(":/assets/") + file).convertToFormat(QImage::Format_RGB32);
}

// Pixels where two bitmaps of the same size differ, with the box that holds them.
struct Difference {
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive bounds
    int height() const { return count == 0 ? 0 : bottom - top + 1; }
};
inline Difference difference(const Bitmap32& a, const Bitmap32& b)
{
    Difference d;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            if (opaque(a.pixel(x, y)) != opaque(b.pixel(x, y))) {
                ++d.count;
                d.left = std::min(d.left, x);
                d.top = std::min(d.top, y);
                d.right = std::max(d.right, x);
                d.bottom = std::max(d.bottom, y);
            }
    return d;
}

inline bool same_pixels(const Bitmap32& a, const Bitmap32& b)
{
    return a.width() == b.width() && a.height() == b.height() && difference(a, b).count == 0;
}

inline void send_mouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
                       Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(position), widget.mapToGlobal(QPointF(position)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}
inline void click(QWidget& widget, QPoint at = {2, 2})
{
    send_mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    send_mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void enter(QWidget& widget)
{
    QEnterEvent event(QPointF(1, 1), widget.mapToGlobal(QPointF(1, 1)), widget.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&widget, &event);
}
inline void leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

// The open dialog with scripted answers; with none left it is cancelled.
class ScriptedOpenDialogs : public OpenDialogs {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> offered;   // the initial name of each showing
    std::function<void()> while_shown;  // runs as the dialog shows, before it answers

    std::optional<std::string> show_open_dialog(const std::string& initial_name) override
    {
        offered.push_back(initial_name);
        if (while_shown) while_shown();
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The save dialog and overwrite prompt with scripted answers; with none left
// the dialog is cancelled and the prompt answered Cancel.
class ScriptedSaveDialogs : public SaveDialogs {
public:
    std::deque<std::optional<std::string>> answers;
    std::deque<OverwriteAnswer> overwrite_answers;
    std::vector<std::string> offered;
    std::vector<std::string> overwrite_texts;

    std::optional<std::string> show_save_dialog(const std::string& initial_name) override
    {
        offered.push_back(initial_name);
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    OverwriteAnswer ask_overwrite(const std::string& text) override
    {
        overwrite_texts.push_back(text);
        if (overwrite_answers.empty()) return OverwriteAnswer::Cancel;
        const OverwriteAnswer answer = overwrite_answers.front();
        overwrite_answers.pop_front();
        return answer;
    }
};

// The main window's message boxes, recorded; the save question is answered
// from a script (Cancel when none is left).
class RecordedMessages : public MainWindowMessages {
public:
    int load_failures = 0;
    LoadOutcome last_load_failure;
    int save_questions = 0;
    std::deque<SavePromptAnswer> save_answers;
    std::vector<std::string> error_reports;
    std::function<void()> while_load_failure_shown;

    void show_load_failure(const LoadOutcome& outcome) override
    {
        ++load_failures;
        last_load_failure = outcome;
        if (while_load_failure_shown) while_load_failure_shown();
    }
    SavePromptAnswer ask_save_before_closing() override
    {
        ++save_questions;
        if (save_answers.empty()) return SavePromptAnswer::Cancel;
        const SavePromptAnswer answer = save_answers.front();
        save_answers.pop_front();
        return answer;
    }
    void report_error(const QString& text) override { error_reports.push_back(text.toStdString()); }
};

// A main window whose pressed feedback does not really sleep, and whose
// dialogs and message boxes are scripted doubles, so no test can hang on one.
inline std::unique_ptr<MainWindow> quick_form(int pixels_per_inch = 96)
{
    auto form = std::make_unique<MainWindow>(pixels_per_inch);
    form->sleep_for = [](std::chrono::milliseconds) {};
    form->start_window_move = [] { return true; };
    form->open_dialogs = std::make_unique<ScriptedOpenDialogs>();
    form->save_dialogs = std::make_unique<ScriptedSaveDialogs>();
    form->messages = std::make_unique<RecordedMessages>();
    return form;
}

inline ScriptedOpenDialogs& open_dialog(MainWindow& form)
{
    return dynamic_cast<ScriptedOpenDialogs&>(*form.open_dialogs);
}
inline ScriptedSaveDialogs& save_dialog(MainWindow& form)
{
    return dynamic_cast<ScriptedSaveDialogs&>(*form.save_dialogs);
}
inline RecordedMessages& messages(MainWindow& form)
{
    return dynamic_cast<RecordedMessages&>(*form.messages);
}
