#pragma once
// The boundary between Qt's event loop and the program's actions. An exception that leaves a slot
// and reaches the event loop ends the program, so every user action (a tool button, a grid row
// change or sort, a bound input's write) runs through guarded(): an archive error (a row locked
// by another workstation, a full disk) is shown through the prompt and the program goes on.
#include <functional>

namespace brevalto {

// Runs the action; false when it threw (the error has been shown).
bool guarded(const std::function<void()>& action);

// Wraps an action for a signal connection: connect(button, &QPushButton::clicked, guard(f)).
inline std::function<void()> guard(std::function<void()> action) {
    return [action = std::move(action)] { guarded(action); };
}

} // namespace brevalto
