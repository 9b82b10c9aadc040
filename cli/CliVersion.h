// CliVersion.h - the companions' version, for their code and their version resources.
#pragma once

#define VTL_CLI_VERSION 1, 2, 0, 0
#define VTL_CLI_VERSION_TEXT "1.2.0.0"
