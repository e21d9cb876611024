// The drop target of an edit view: it takes text dragged over the view and drops it into the
// text. Only its owner link exists so far; the view creates none until the platform offers
// drag-and-drop, and a view without a target accepts no drops.
#pragma once

class CTextEditView;

class CEditDropTarget {
public:
    explicit CEditDropTarget(CTextEditView* owner) : owner_(owner) {}
    CTextEditView* Owner() const { return owner_; }

private:
    CTextEditView* owner_; // not owned
};
