#include "settings/LanguageModule.h"

#include <cstring>

#include "settings/TextIds.h"

bool isLanguageSignature(const void* bytes, size_t size) {
    return bytes && size >= kLanguageSignatureSize && memcmp(bytes, "Trimwell", kLanguageSignatureSize) == 0;
}

const char16_t* defaultLanguageName(uint16_t uiLanguage) { return uiLanguage == 0x0411 ? u"Japanese" : u"English"; }

ErrorBoxTexts errorBoxTexts(uint32_t id) {
    ErrorBoxTexts texts;
    if (id > TXT_ERROR_CAPTION && id <= TXT_ERROR_SAVE_MISMATCH) {
        texts.captionId = TXT_ERROR_CAPTION;
        texts.messageId = id;
    } else if (id >= TXT_JPEG_ERROR_FIRST && id <= TXT_JPEG_ERROR_PLAIN_LAST) {
        texts.captionId = TXT_JPEG_ERROR_CAPTION;
        texts.messageId = id;
    } else if (id > TXT_JPEG_ERROR_PLAIN_LAST && id <= TXT_JPEG_ERROR_LAST) {
        texts.captionId = TXT_JPEG_ERROR_CAPTION;
        texts.prefixId = TXT_JPEG_ERROR_PREFIX;
        texts.messageId = id;
    }
    return texts;
}
