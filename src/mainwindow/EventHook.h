#pragma once

#include <QObject>

#include <functional>
#include <utility>

// Routes one object's events to a function; the main window's own filter belongs to the whole
// window.
class EventHook : public QObject {
public:
    EventHook(QObject *parent, std::function<bool(QEvent *)> fn)
        : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override { return m_fn(event); }

private:
    std::function<bool(QEvent *)> m_fn;
};
