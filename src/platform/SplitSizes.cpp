#include "platform/SplitSizes.h"

SplitSizes &splitSizes() {
    static SplitSizes sizes;
    return sizes;
}
