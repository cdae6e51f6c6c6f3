// replaced by the account module
