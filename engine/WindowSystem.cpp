#include "engine/WindowSystem.h"

namespace plimsett {

std::vector<bool> WindowSystem::moveAll(const std::vector<WindowMove>& moves) {
    std::vector<bool> answers;
    answers.reserve(moves.size());
    for (const WindowMove& m : moves) {
        answers.push_back(move(m.window, m.frame));
    }
    return answers;
}

void WindowSystem::moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) {
    answered(moveAll(moves));
}

} // namespace plimsett
