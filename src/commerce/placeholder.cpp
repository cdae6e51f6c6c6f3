// replaced by the commerce module
