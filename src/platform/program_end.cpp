#include "platform/program_end.h"

#include <QCoreApplication>

namespace {
std::function<void()> &currentHandler()
{
    static std::function<void()> handler;
    return handler;
}
} // namespace

void EndProgram(int exitStatus)
{
    if (const auto handler = currentHandler()) {
        handler();
        return;
    }
    QCoreApplication::exit(exitStatus);
}

std::function<void()> installEndProgramHandler(std::function<void()> handler)
{
    auto previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
