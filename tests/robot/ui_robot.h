// PLACEHOLDER (replaced by the UI robot library).
#pragma once
