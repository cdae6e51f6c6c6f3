// settings accessors and the download base
