/* A stand-in libcrypto that a hostile folder could hold: loadable, and with
   a version the loader would accept. */
__declspec(dllexport) unsigned long OpenSSL_version_num(void) {
    return 0x30000020UL;
}
