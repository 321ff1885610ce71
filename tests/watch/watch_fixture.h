#pragma once

#include "support/fake_bar.h"
