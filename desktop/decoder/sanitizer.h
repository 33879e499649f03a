// sanitizer.h: whether this build runs under AddressSanitizer, whose reserved memory
// fits no address-space limit: the decoder's child is held by resident memory instead.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define KALVERO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KALVERO_ADDRESS_SANITIZER 1
#endif
#endif
