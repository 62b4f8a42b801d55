#pragma once

#include "core/store/StoreFormat.h"
