// Test helpers shared by every area's tests.
#pragma once
