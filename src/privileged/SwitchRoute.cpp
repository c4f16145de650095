#include "SwitchRoute.h"

#include "privileged/HelperWin.h"
#include "privileged/ServiceWin.h"
#include "support/AccessWin.h"
#include "support/Strings.h"

#include <utility>

struct TSwitchRoute::THelper {
    TSystemHelper System;
    THelperSwitch Switch{System};
};

bool HelperAlways(const TConfig* config) {
    return config && SameText(Trim(config->ReadValue(SwitchThroughSetting)), "helper");
}

TSwitchRoute::TSwitchRoute(std::function<void(const std::string&)> tell) : tell_(std::move(tell)) {}
TSwitchRoute::~TSwitchRoute() = default;

IAdapterSwitch* TSwitchRoute::AdapterSwitch(const TConfig* config) {
    const TRouteChoice choice =
        ChooseRoute(QueryServiceState(), IsElevated(), HelperAlways(config));
    if (choice.SayStopped && !toldStopped_ && tell_) {
        toldStopped_ = true;
        tell_(ServiceStoppedMessage);
    }
    switch (choice.Kind) {
    case TRouteKind::Service:
        if (!service_)
            service_ = std::make_unique<TServiceSwitch>();
        return service_.get();
    case TRouteKind::Helper:
        if (!helper_)
            helper_ = std::make_unique<THelper>();
        return &helper_->Switch;
    case TRouteKind::Directly:
        break;
    }
    return nullptr;
}

bool TSwitchRoute::AsksConsent(const TConfig* config) const {
    return ChooseRoute(QueryServiceState(), IsElevated(), HelperAlways(config)).Kind ==
           TRouteKind::Helper;
}

bool ServiceIsUsed() {
    return QueryServiceState() == TServiceState::Running;
}
