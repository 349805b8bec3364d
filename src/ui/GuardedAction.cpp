#include "ui/GuardedAction.h"

#include "store/DbError.h"
#include "store/Prompt.h"

namespace brevalto {

bool guarded(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
    } catch (const std::exception& e) {
        prompt().message(Prompt::errorTitle(), QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace brevalto
