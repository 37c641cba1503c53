#pragma once

class ZLibraryItemsView;

// What assistive technologies see of the library's rows. The items view
// paints its rows, so each group header and each video is a virtual child of
// the view's accessible list: a group header a tree item (expandable; its
// actions: toggle opens or closes it, press selects it), a video a list item
// (press plays it); both have their title as name, their frame, their
// selection and a menu action. The controls of the detail rows in sight
// follow them as the view's real children.
namespace ZLibraryAccessibility {

// Installs the accessible interface of the items view (once per process).
void install();
// The rows were made again: the virtual children are dropped and the
// change is announced.
void itemsReloaded(ZLibraryItemsView *view);
// The keyboard moved to another row or video.
void focusMoved(ZLibraryItemsView *view);

}  // namespace ZLibraryAccessibility
