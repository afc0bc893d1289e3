#pragma once
// The program's image lists. Pictures are drawn in code; only their indexes carry meaning.
#include <QIcon>

namespace images {
QIcon mainImage(int index);  // MainImageList: toolbar and main menu, 0..19
QIcon treeImage(int index);  // MainTreeImageList: tree nodes 0..4, tree popup menu 5..8
QIcon listImage(int index);  // ListImageList (24 x 24): list items 0..5, list popup menu 6..11
QIcon smallListImage(int index);  // SmallListImage (16 x 16): list items in the small views
QIcon detailImage(int index);  // MainDetailImages: detail rows 0, tray menu 1
QIcon viewerImage(int index);  // the viewer window's toolbar: 0 select all, 1 copy
QIcon appIcon();  // the program's main icon
QPixmap appIconPicture(int size);  // the main icon drawn at size x size (the desktop menu takes larger ones)
QPixmap dragPicture();  // the 32 x 32 picture of the floating drop window
}  // namespace images
