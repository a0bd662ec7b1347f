// The composition: every pattern of the tune and its order list.
#pragma once

#include "tools/tune/xm_writer.h"

namespace tune {

Module ComposeTune();

}  // namespace tune
