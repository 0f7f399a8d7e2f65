#pragma once
// The small node pictures of the department tree, drawn in code: a folder
// for top-level nodes (image 1) and a sheet of paper for children (image 2).

#include <QIcon>

namespace nbr {

// The image numbers of the tree's nodes, as the classic image list counts.
enum NodeImage : int {
    kFolderImage = 1,   // a top-level department
    kDocumentImage = 2, // a department below another
};

// The icon for a node's image number; a null icon for numbers without one.
QIcon treeNodeIcon(int image);

} // namespace nbr
