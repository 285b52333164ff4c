#pragma once

#define IDD_WIZARD 102
