#include "SwitchRoute.h"

#include "privileged/HelperWin.h"
#include "support/AccessWin.h"
#include "support/Strings.h"

struct TSwitchRoute::THelper {
    TSystemHelper System;
    THelperSwitch Switch{System};
};

bool HelperAlways(const TConfig* config) {
    return config && SameText(Trim(config->ReadValue(SwitchThroughSetting)), "helper");
}

TSwitchRoute::TSwitchRoute() = default;
TSwitchRoute::~TSwitchRoute() = default;

IAdapterSwitch* TSwitchRoute::AdapterSwitch(const TConfig* config) {
    if (IsElevated() && !HelperAlways(config))
        return nullptr;
    if (!helper_)
        helper_ = std::make_unique<THelper>();
    return &helper_->Switch;
}
