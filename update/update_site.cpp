#include "update/update_site.h"

std::string builtInUpdateSite() {
    return MERIVANE_UPDATE_BASE_URL;
}
