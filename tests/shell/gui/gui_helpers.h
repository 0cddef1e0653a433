// Helpers of the shell's window tests: the main window as the program
// opens it, acting on a modal window once it shows, and pictures and files
// for a reviewer in build-test/artifacts.
#pragma once

#include "shell/gui/hh.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace kt4::shelltest {

// The main window created, started (FormCreate) and shown.
inline std::unique_ptr<shell::gui::Thh> OpenMainWindow()
{
    auto w = std::make_unique<shell::gui::Thh>();
    EXPECT_FALSE(w->FormCreate().end);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
}

// Runs Act on the first visible top-level window of type W, from the
// event loop that shows it.
template <class W>
void WhenShown(std::function<void(W*)> Act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, Act] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* w = qobject_cast<W*>(top); w && w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                QApplication::processEvents();
                Act(w);
                return;
            }
    });
    timer->start();
}

inline std::string ArtifactPath(const std::string& Name)
{
    QDir().mkpath(KT4_ARTIFACT_DIR);
    return std::string(KT4_ARTIFACT_DIR) + "/" + Name;
}

inline void SaveArtifact(QWidget* W, const std::string& Name)
{
    QApplication::processEvents();
    EXPECT_TRUE(W->grab().toImage().save(QString::fromStdString(ArtifactPath(Name))));
}

inline void CopyArtifact(const std::string& From, const std::string& Name)
{
    namespace fs = std::filesystem;
    fs::copy_file(From, ArtifactPath(Name), fs::copy_options::overwrite_existing);
}

} // namespace kt4::shelltest
