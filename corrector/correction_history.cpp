#include "corrector/correction_history.h"

void CorrectionHistory::record(const CorrectionState& before)
{
    undo_states_.push_back(before);
    redo_states_.clear();
}

CorrectionState CorrectionHistory::undo(const CorrectionState& current)
{
    CorrectionState earlier = std::move(undo_states_.back());
    undo_states_.pop_back();
    redo_states_.push_back(current);
    return earlier;
}

CorrectionState CorrectionHistory::redo(const CorrectionState& current)
{
    CorrectionState later = std::move(redo_states_.back());
    redo_states_.pop_back();
    undo_states_.push_back(current);
    return later;
}

void CorrectionHistory::clear()
{
    undo_states_.clear();
    redo_states_.clear();
}
