#include "store/profile_store.h"
