#pragma once

namespace tervalo::memtable {

// What a view (a grid model) hears from a table. Positions are 0-based positions in the table's
// current view (order, filter and master link applied); a view maps them to rows with
// MemTable::rowAt. Changes come in pairs: the "about to" call arrives while the view still shows
// the old state, the second one after the change. While the table's controls are disabled, the
// first change announces aboutToResetView and the outermost enableControls sends the one
// viewReset; nothing else arrives in between.
class MemTableObserver {
public:
    virtual ~MemTableObserver() = default;

    virtual void rowAboutToBeInserted(int position) = 0;
    virtual void rowInserted(int position) = 0;
    virtual void rowChanged(int position) = 0;
    virtual void viewAboutToBeReset() = 0;
    virtual void viewReset() = 0;
    // -1 when the view is empty.
    virtual void currentRowChanged(int position) = 0;
};

}  // namespace tervalo::memtable
