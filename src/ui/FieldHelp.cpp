#include "ui/FieldHelp.h"

namespace brevalto {

namespace {
std::function<void(const QString&)>& handler() {
    static std::function<void(const QString&)> h;
    return h;
}
} // namespace

void requestFieldHelp(const QString& elementNumber) {
    if (handler())
        handler()(elementNumber);
}

void setFieldHelpHandler(std::function<void(const QString&)> h) {
    handler() = std::move(h);
}

} // namespace brevalto
