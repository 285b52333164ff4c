#pragma once
#include <string>

// The service as the Service Control Manager knows it: "ArrayvaneRaidService"
// unless AV_STANDIN_SERVICE names another, so that the services of different
// test runs never meet. The service process itself gets the name on its
// command line, since the SCM does not pass the caller's environment on.
std::wstring ServiceName();

constexpr wchar_t kServiceDisplayName[] = L"Arrayvane RAID Service";

// The argument with which the SCM starts this tool as the service itself,
// followed by the service's name.
constexpr wchar_t kServiceModeArg[] = L"-service";
