#pragma once

#include "LaporaX.h"
#include "WindowTest.h"

namespace lapora::test {

// The main window under test.
class MainWindowTest : public WindowTest<LaporaX> {
protected:
    LaporaX& make() {
        w = std::make_unique<LaporaX>(session);
        return *w;
    }
    // Builds the window and runs its first activation, answering the new-row question.
    LaporaX& start(Answer newRow = Answer::No) {
        make();
        expectNewRowQuestion(prompter, newRow);
        w->activate();
        return *w;
    }
};

} // namespace lapora::test
