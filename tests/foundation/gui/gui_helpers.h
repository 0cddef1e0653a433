// Helpers of the window tests: acting on the modal dialogs that a call
// opens, finding controls by name, and the artifacts folder.
#pragma once

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace kt4::testing {

// Runs one action on each modal dialog that opens while the script lives,
// in order. A dialog left open by an action gets the next action.
class ModalScript {
public:
    using Action = std::function<void(QWidget*)>;
    ModalScript()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
        timer_.start();
    }
    ~ModalScript() { timer_.stop(); }
    void Then(Action a) { actions_.push_back(std::move(a)); }
    std::size_t Left() const { return actions_.size(); }

private:
    void Step()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || actions_.empty() || busy_)
            return;
        busy_ = true;
        Action a = std::move(actions_.front());
        actions_.pop_front();
        a(w);
        busy_ = false;
    }
    QTimer timer_;
    std::deque<Action> actions_;
    bool busy_ = false;
};

template <class T>
T* Find(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
}

inline QString ArtifactPath(const std::string& file)
{
    QDir().mkpath(KT4_ARTIFACT_DIR);
    return QString(KT4_ARTIFACT_DIR) + "/" + QString::fromStdString(file);
}

} // namespace kt4::testing
