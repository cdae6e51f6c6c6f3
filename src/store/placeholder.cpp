// replaced by the store module
