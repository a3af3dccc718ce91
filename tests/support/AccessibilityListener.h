#pragma once

#include <QAccessible>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <QVariant>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

// What assistive technology is told while a test listens. Qt passes accessibility events on only
// while its bridge to assistive technology is active, which Qt's offscreen platform never has;
// tests/support/with-atspi runs a test program on an X server with that bridge listening.
class AccessibilityListener
{
public:
    struct Heard
    {
        QAccessible::Event Type;
        QObject* Object;
        QString Value; // of a value change
    };

    // Whether events reach a listener here. Under with-atspi (BYTESCOPE_EXPECT_ACCESSIBILITY set)
    // the bridge comes up shortly after the start, and its absence is a failure.
    static bool Available()
    {
        if (!qEnvironmentVariableIsSet("BYTESCOPE_EXPECT_ACCESSIBILITY"))
            return QAccessible::isActive();
        const QDeadlineTimer deadline(30000);
        while (!QAccessible::isActive() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        if (!QAccessible::isActive())
            ADD_FAILURE() << "the bridge to assistive technology did not come up";
        return QAccessible::isActive();
    }
    static constexpr const char* kUnavailable =
        "no bridge to assistive technology on this platform; the *_atspi tests run this one";

    AccessibilityListener()
    {
        Current() = &FHeard;
        FPrevious = QAccessible::installUpdateHandler(&Record);
    }
    ~AccessibilityListener()
    {
        QAccessible::installUpdateHandler(FPrevious);
        Current() = nullptr;
    }
    AccessibilityListener(const AccessibilityListener&) = delete;
    AccessibilityListener& operator=(const AccessibilityListener&) = delete;

    std::vector<Heard> Take() { return std::exchange(FHeard, {}); }

private:
    // Qt keeps one plain function as the handler for the whole process.
    static std::vector<Heard>*& Current()
    {
        static std::vector<Heard>* current = nullptr;
        return current;
    }
    static void Record(QAccessibleEvent* event)
    {
        QString value;
        if (event->type() == QAccessible::ValueChanged)
            value = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
        if (Current() != nullptr)
            Current()->push_back({event->type(), event->object(), value});
    }

    std::vector<Heard> FHeard;
    QAccessible::UpdateHandler FPrevious = nullptr;
};
