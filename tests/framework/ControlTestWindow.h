#pragma once

// A window that tests fill with controls, and a fixture that shows one and closes it again.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Control.h"
#include "framework/EventLoop.h"
#include "framework/Window.h"

class ControlTestWindow : public fw::Window {
public:
    explicit ControlTestWindow(Kind kind = Kind::Document) : Window(kind) {}
    ~ControlTestWindow() override {
        if (deleted) *deleted = true;
    }

    std::function<void(ControlTestWindow&)> build;  // runs as its CreateControls
    std::vector<std::pair<int, int>> clicks;        // its own MouseDown events
    bool* deleted = nullptr;

    void Layout() override {
        SetWidth(400);
        SetHeight(300);
    }
    void CreateControls() override {
        if (build) build(*this);
    }
    bool Event_MouseDown(int32_t x, int32_t y) override {
        clicks.emplace_back(x, y);
        return false;
    }

    template <class T>
    T* Add(const std::string& name, const fw::ControlPlacement& where) {
        T* control = AddControl<T>(name);
        control->Place(where);
        return control;
    }
};

class ControlTest : public testing::Test {
protected:
    void TearDown() override {
        if (window) window->Close();
        fw::ProcessPendingEvents();
    }

    // Builds and shows the window; build places its controls (so that the focus order holds).
    ControlTestWindow& Open(std::function<void(ControlTestWindow&)> build = {}) {
        window = new ControlTestWindow;
        window->build = std::move(build);
        window->Build();
        QWidget* top = window->Widget()->window();
        top->activateWindow();
        EXPECT_TRUE(fw::RunEventLoopUntil(
            [top] { return top->windowHandle() && top->windowHandle()->isExposed(); }, 5000));
        EXPECT_TRUE(fw::RunEventLoopUntil([top] { return top->isActiveWindow(); }, 5000));
        return *window;
    }

    template <class T>
    T* Add(const std::string& name, const fw::ControlPlacement& where) {
        if (!window) Open();
        return window->Add<T>(name, where);
    }

    // The platform widget of a control, as its concrete type.
    template <class W>
    static W* PlatformOf(const fw::Control* control) {
        return qobject_cast<W*>(control->Widget());
    }

    ControlTestWindow* window = nullptr;
};
