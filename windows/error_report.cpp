#include "windows/error_report.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <new>
#include <stdexcept>

#include "windows/window_support.h"

namespace {

QString not_enough_memory_text()
{
    return QStringLiteral("Not enough memory to finish this. ") + QString::fromLatin1(kNotEnoughMemoryAdvice);
}

}  // namespace

QString error_report_text(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return not_enough_memory_text();
    } catch (const std::length_error&) {
        // A buffer asked for beyond what any allocation can give: memory, in the user's terms.
        return not_enough_memory_text();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void show_error_report(const QString& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kErrorReportTitle), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QString::fromLatin1(kErrorReportObjectName));
    // Error texts carry paths, which must not be read as markup.
    box.setTextFormat(Qt::PlainText);
    settle_parent_position(box);
    box.exec();
}

bool report_errors(const std::function<void()>& handler, QWidget* parent)
{
    QString text;
    try {
        handler();
        return true;
    } catch (...) {
        text = error_report_text(std::current_exception());
    }
    // Shown outside the catch block: the box runs an event loop, and the
    // exception object need not live through it.
    show_error_report(text, parent);
    return false;
}

bool ErrorReportingApplication::notify(QObject* receiver, QEvent* event)
{
    // Watched, since the failed handler may have deleted it.
    const QPointer<QWidget> widget = qobject_cast<QWidget*>(receiver);
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        text = error_report_text(std::current_exception());
    }
    // Over the window whose event failed, where it was one.
    show_error_report(text, widget ? widget->window() : nullptr);
    return false;
}
