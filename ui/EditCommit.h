#pragma once

class QEvent;

// True for the focus loss on which an edit commits what was typed. The edit's own context menu
// takes the focus only for a moment and gives it back, so that loss does not count.
bool isCommittingFocusOut(const QEvent* event);
