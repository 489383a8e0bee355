#include "shell/CropHandOver.h"

CropRequest cropRequestFromRect(const CropRect& rect) {
    CropRequest request;
    request.left = static_cast<uint32_t>(rect.left);
    request.top = static_cast<uint32_t>(rect.top);
    request.width = static_cast<uint32_t>(cropWidth(rect));
    request.height = static_cast<uint32_t>(cropHeight(rect));
    return request;
}
