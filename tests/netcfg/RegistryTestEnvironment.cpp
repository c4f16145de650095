#include "RegistryTestEnvironment.h"

#include <random>

TRegistryTestEnvironment::TRegistryTestEnvironment() {
    std::random_device seed;
    ownKey_ = "Software\\NetvaneTest\\" + std::to_string(seed()) + std::to_string(seed());
}
