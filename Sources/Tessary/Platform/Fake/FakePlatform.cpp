#include "Platform/Fake/FakePlatform.h"

FakePlatform::FakePlatform() = default;
FakePlatform::~FakePlatform() = default;

FakePlatform* FakePlatform::current() {
    return dynamic_cast<FakePlatform*>(&Platform::instance());
}
