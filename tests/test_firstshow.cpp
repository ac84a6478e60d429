#include "FirstShow.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

using lapora::onFirstShow;

TEST(FirstShow, RunsOnceFromTheLoopAfterTheFirstShowOnly) {
    QWidget w;
    int calls = 0;
    onFirstShow(&w, [&] {
        ++calls;
        EXPECT_TRUE(w.isVisible());
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0) << "before the window is shown";
    w.show();
    EXPECT_EQ(calls, 0) << "inside show(): the window is not on screen yet";
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    w.hide();
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1) << "shown again";
}

TEST(FirstShow, AWindowClosedForGoodBeforeTheLoopRunsGetsNoCall) {
    auto* w = new QWidget;
    int calls = 0;
    onFirstShow(w, [&] { ++calls; });
    w->show();
    delete w;
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}
