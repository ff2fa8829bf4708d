#include "views/listmodel.h"

#include "views/sorting.h"

std::string ListModel::shownCaption(unsigned k) const {
    const std::string& caption = columns.at(k).caption;
    return k == sortColumn ? sorting::WithSortMark(caption) : caption;
}
