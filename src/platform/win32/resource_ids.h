#pragma once

/* Shared by the resource script and the code, so plain preprocessor numbers. */
#define PELLATONE_IDI_PROGRAM 1
#define PELLATONE_IDR_SPLASH_PICTURE 101
