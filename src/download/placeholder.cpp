// replaced by the download module
